#!/usr/bin/env bash
# The installed desktop entry starts the installed program wherever the prefix is (a browser's
# pelqa: hand-off goes through it), and the icon it names is installed in every usual size.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# PNG width and height from the IHDR chunk (bytes 16..23, big-endian).
png_size() {
    local b
    b=($(od -An -tu1 -j16 -N8 "$1"))
    echo "$(( (b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3] ))x$(( (b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7] ))"
}

check_prefix() {
    local prefix="$1" want_exec="$2"
    cmake --install "$build" --component desktop --prefix "$prefix" >/dev/null
    local entry="$prefix/share/applications/FennixPro.desktop"
    [ -f "$entry" ] || fail "no entry at $entry"
    local exec_line
    exec_line="$(grep '^Exec=' "$entry")"
    [ "$exec_line" = "Exec=$want_exec %u" ] || fail "entry says '$exec_line', wanted 'Exec=$want_exec %u'"
    grep -qx 'Icon=fennixpro' "$entry" || fail "entry names another icon"
    grep -qx 'MimeType=x-scheme-handler/pelqa;' "$entry" || fail "entry lost the pelqa: handler"
    for size in 16 24 32 48 64 128 256; do
        local png="$prefix/share/icons/hicolor/${size}x${size}/apps/fennixpro.png"
        [ -f "$png" ] || fail "no ${size}px icon"
        [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "${size}px icon is not a PNG"
        [ "$(png_size "$png")" = "${size}x${size}" ] || fail "${size}px icon is $(png_size "$png")"
    done
    [ -f "$prefix/share/icons/hicolor/scalable/apps/fennixpro.svg" ] || fail "no scalable icon"
    if command -v desktop-file-validate >/dev/null; then
        local said
        said="$(desktop-file-validate "$entry" 2>&1)" || fail "desktop-file-validate: $said"
        [ -z "$said" ] || fail "desktop-file-validate has remarks: $said"
    else
        echo "desktop-file-validate not installed (package desktop-file-utils): validation skipped"
    fi
}

# A plain prefix is written as it is; one with a space (and a dollar) is quoted, the dollar escaped.
check_prefix "$work/opt/fennixpro" "$work/opt/fennixpro/bin/FennixPro"
check_prefix "$work/my apps/\$fx" "\"$work/my apps/\\\\\$fx/bin/FennixPro\""
# A staged install (DESTDIR) names the final path, not the staging folder.
DESTDIR="$work/stage" cmake --install "$build" --component desktop --prefix /opt/fennixpro >/dev/null
grep -qx 'Exec=/opt/fennixpro/bin/FennixPro %u' "$work/stage/opt/fennixpro/share/applications/FennixPro.desktop" \
    || fail "a staged entry names $(grep '^Exec=' "$work/stage/opt/fennixpro/share/applications/FennixPro.desktop")"
echo "installed entry and icons hold"
