#!/bin/sh
# A stand-in for the adb program in tests. State lives in $FAKE_ADB_ROOT:
#   devices          lines "serial state"
#   log              one line per call, arguments separated by \037
#   props/SERIAL     getprop output
#   phone/SERIAL/    the phone's file system ("/" of the phone)
#   df/SERIAL        optional df -k output
#   pull-at-50       when present, the next push pulls the phone out half way
#   stall-push       when present, a push prints "[ 10%]" and then hangs (its pid in push.pid)
#   hang-getprop     when present, getprop never answers (its pid in getprop.pid)
# Shell commands are read the way a phone's shell reads them (eval of the joined words), so a
# badly quoted path runs its command substitutions here, inside $FAKE_ADB_ROOT.
R="$FAKE_ADB_ROOT"
[ -n "$R" ] || { echo "FAKE_ADB_ROOT not set" >&2; exit 2; }
cd "$R" || exit 2
{ for a in "$@"; do printf '%s\037' "$a"; done; echo; } >> "$R/log"

serial=""
if [ "$1" = "-s" ]; then serial="$2"; shift 2; fi
cmd="$1"; [ $# -gt 0 ] && shift

state_of() { awk -v s="$1" '$1 == s { print $2 }' "$R/devices"; }
need_device() {
    if [ -z "$serial" ]; then serial=$(awk 'NR == 1 { print $1 }' "$R/devices"); fi
    [ "$(state_of "$serial")" = device ] && return 0
    echo "adb: device '$serial' not found" >&2
    exit 1
}
phone() { printf '%s/phone/%s%s' "$R" "$serial" "$1"; }

case "$cmd" in
track-devices)
    last="none"
    while kill -0 "$PPID" 2>/dev/null; do
        payload=$(awk '{ printf "%s\t%s\n", $1, $2 }' "$R/devices"; echo x)
        payload=${payload%x}
        if [ "$payload" != "$last" ]; then
            printf '%04x%s' "$(printf '%s' "$payload" | wc -c)" "$payload"
            last="$payload"
        fi
        sleep 0.05
    done
    ;;
get-state)
    st=$(state_of "$serial")
    [ -n "$st" ] || { echo "error: device '$serial' not found" >&2; exit 1; }
    echo "$st"
    ;;
shell)
    need_device
    text="$*"
    eval "set -- $text"
    prog="$1"; shift
    case "$prog" in
    getprop)
        if [ -f "$R/hang-getprop" ]; then
            echo $$ > "$R/getprop.pid"
            exec sleep 600
        fi
        cat "$R/props/$serial" 2>/dev/null ;;
    stat)
        [ "$1" = "-c" ] || exit 1
        stat -c "$2" "$(phone "$3")" 2>/dev/null || { echo "stat: '$3': No such file or directory" >&2; exit 1; }
        ;;
    mkdir) [ "$1" = "-p" ] && shift; mkdir -p "$(phone "$1")" ;;
    ls) ls "$(phone "$1")" ;;
    df)
        [ "$1" = "-k" ] && shift
        echo "Filesystem     1K-blocks    Used Available Use% Mounted on"
        if [ -f "$R/df/$serial" ]; then cat "$R/df/$serial"
        elif [ -d "$(phone "$1")" ]; then echo "/dev/fuse       16777216 6291456  10485760  38% $1"
        else echo "df: $1: No such file or directory" >&2; exit 1
        fi
        ;;
    am) printf '%s\n' "$*" >> "$R/broadcasts" ;;
    settings)
        if [ "$1" = get ]; then cat "$R/settings-$3" 2>/dev/null || echo null
        elif [ "$1" = put ]; then printf '%s\n' "$4" > "$R/settings-$3"
        fi
        ;;
    input) printf '%s\n' "$*" >> "$R/input" ;;
    *) echo "/system/bin/sh: $prog: inaccessible or not found" >&2; exit 127 ;;
    esac
    ;;
push)
    need_device
    src="$1"; dest="$(phone "$2")"
    [ -f "$src" ] || { echo "adb: error: cannot stat '$src': No such file or directory" >&2; exit 1; }
    [ -d "$(dirname "$dest")" ] || { echo "adb: error: failed to copy '$src' to '$2': remote No such file or directory" >&2; exit 1; }
    size=$(stat -c %s "$src")
    chunk=$(( (size + 3) / 4 )); [ "$chunk" -gt 0 ] || chunk=1
    : > "$dest"
    if [ -f "$R/stall-push" ]; then
        printf '[ 10%%] %s\n' "$2"
        echo $$ > "$R/push.pid"
        exec sleep 3600
    fi
    i=0
    while [ $i -lt 4 ]; do
        if [ $i -eq 2 ] && [ -f "$R/pull-at-50" ]; then
            rm -f "$R/pull-at-50"
            awk -v s="$serial" '$1 != s' "$R/devices" > "$R/devices.new" && mv "$R/devices.new" "$R/devices"
        fi
        if [ "$(state_of "$serial")" != device ]; then
            echo "adb: error: failed to copy '$src' to '$2': device offline" >&2
            exit 1
        fi
        dd if="$src" of="$dest" bs="$chunk" skip=$i seek=$i count=1 conv=notrunc status=none
        i=$((i + 1))
        printf '[%3d%%] %s\n' $((i * 25)) "$2"
    done
    echo "$src: 1 file pushed."
    ;;
start-server|kill-server) ;;
*) echo "adb: unknown command $cmd" >&2; exit 1 ;;
esac
