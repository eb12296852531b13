#!/usr/bin/env bash
# ./dev installs only what dpkg does not report installed. A name that can never count as
# installed (a virtual package) would make every build run apt again: the check must say so,
# and the project's own list must hold none.
set -euo pipefail
src="$1"
command -v dpkg-query >/dev/null || { echo "no dpkg-query: not a Debian system, skipped"; exit 0; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A virtual package and a misspelt one are reported; an installed one is not.
installed="$(dpkg-query -W -f='${Package}\n' coreutils)"
printf '%s\n' "# comment" "$installed" "" "libqt6svg6-dev" "no-such-package-xyz   # trailing note" >"$work/list"
if out="$(FENNIX_PACKAGES="$work/list" "$src/dev" packages)"; then
    echo "FAIL: a list with a virtual package passed the check"; exit 1
fi
[ "$out" = $'libqt6svg6-dev\nno-such-package-xyz' ] || { echo "FAIL: reported: $out"; exit 1; }

printf '%s\n' "$installed" >"$work/list"
FENNIX_PACKAGES="$work/list" "$src/dev" packages >/dev/null || { echo "FAIL: installed package reported"; exit 1; }

# The project's list: everything it names is installed once ./dev has run, so a second
# ./dev build finds nothing to install. Outside ./dev (a bare ctest) missing packages may be
# legitimate; FENNIX_DEV_RAN is then unset and the names are only printed.
if ! left="$("$src/dev" packages)"; then
    if [ -n "${FENNIX_DEV_RAN:-}" ]; then
        echo "FAIL: after ./dev installed, still not installed: $left"; exit 1
    fi
    echo "not installed here (a build outside ./dev): $left"
fi
echo ok
