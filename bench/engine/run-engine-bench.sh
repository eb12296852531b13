#!/usr/bin/env bash
# Download engine benchmark: libCorvidash against curl, aria2c, yt-dlp and
# ffmpeg, all fetching from an nginx on 127.0.0.1 that this script starts.
#   run-engine-bench.sh FETCH_BINARY LIBCORVIDASH_SO
# Environment (besides bench-server.sh's): CORVIDASH_BENCH_SEED for the
# kill points, CORVIDASH_BENCH_ONLY="big throttled hls kill" picks sections,
# CORVIDASH_BENCH_LOG=FILE makes the engine log there at debug level. Needs about 1.6 GiB free in the work folder; every download is
# deleted after its measurement.
set -euo pipefail

fetch="$(realpath "${1:?usage: $0 FETCH_BINARY LIBCORVIDASH_SO}")"
lib="$(realpath "${2:?usage: $0 FETCH_BINARY LIBCORVIDASH_SO}")"
RANDOM=${CORVIDASH_BENCH_SEED:-$$}

here="$(dirname "$(realpath "$0")")"
# shellcheck source=bench-server.sh
. "$here/bench-server.sh"

engine() { # URL PATH RESUME TURBO
    "$fetch" "$lib" "$@"
}

# --- measurements -----------------------------------------------------------
install_peers
make_files
start_nginx
say "serving $W/www at $BASE"
results=()
report() { results+=("$(printf '%-58s %s' "$1" "$2")"); say "$1: $2"; }

want() { [ -z "${CORVIDASH_BENCH_ONLY:-}" ] || [[ " $CORVIDASH_BENCH_ONLY " == *" $1 "* ]]; }

# 1 GiB unthrottled.
big=1073741824
if want big; then
    t_curl=$(timed curl -s -f -o "$W/dl/big.curl" "$BASE/fast/big.bin"); rm -f "$W/dl/big.curl"
    t_plain=$(timed engine "$BASE/fast/big.bin" "$W/dl/big.plain" 0 0)
    rss_plain=$(awk '{ print $8 }' "$W/last.out")
    same_or_die "$W/dl/big.plain" "$W/www/big.bin"; rm -f "$W/dl/big.plain"
    t_turbo=$(timed engine "$BASE/fast/big.bin" "$W/dl/big.turbo" 0 1)
    rss_turbo=$(awk '{ print $8 }' "$W/last.out")
    same_or_die "$W/dl/big.turbo" "$W/www/big.bin"; rm -f "$W/dl/big.turbo"
    report "1 GiB unthrottled: curl" "$(mib_s $big "$t_curl") MiB/s"
    report "1 GiB unthrottled: engine" "$(mib_s $big "$t_plain") MiB/s, ratio $(ratio "$t_curl" "$t_plain") x curl (target >= 0.95)"
    report "1 GiB unthrottled: engine turbo" "$(mib_s $big "$t_turbo") MiB/s, ratio $(ratio "$t_curl" "$t_turbo") x curl (target >= 0.95)"
    report "1 GiB peak RSS: engine / engine turbo" "$((rss_plain / 1024)) MiB / $((rss_turbo / 1024)) MiB (target <= 64 MiB)"
fi

# 256 MiB at 4 MiB/s per connection.
mid=268435456
if want throttled; then
    t_eng=$(timed engine "$BASE/slow/mid.bin" "$W/dl/mid.turbo" 0 1)
    same_or_die "$W/dl/mid.turbo" "$W/www/mid.bin"; rm -f "$W/dl/mid.turbo"
    report "256 MiB limit_rate 4m: engine turbo" "$(mib_s $mid "$t_eng") MiB/s"
    if [ "${have[aria2c]}" = 1 ]; then
        t_aria=$(timed aria2c -q -x16 -s16 -k1M --allow-overwrite=true --auto-file-renaming=false \
            --file-allocation=falloc -d "$W/dl" -o mid.aria2 "$BASE/slow/mid.bin")
        same_or_die "$W/dl/mid.aria2" "$W/www/mid.bin"; rm -f "$W/dl/mid.aria2"
        report "256 MiB limit_rate 4m: aria2c -x16 -s16 -k1M" "$(mib_s $mid "$t_aria") MiB/s, engine $(ratio "$t_aria" "$t_eng") x aria2c (target >= 1)"
    fi
    t_one=$(timed curl -s -f -o "$W/dl/mid.curl" "$BASE/slow/mid.bin"); rm -f "$W/dl/mid.curl"
    report "256 MiB limit_rate 4m: single curl" "$(mib_s $mid "$t_one") MiB/s, engine $(ratio "$t_one" "$t_eng") x curl (target >= 12)"
fi

# HLS: 500 segments, 100 ms before every answer.
cat "$W/www/hls/"seg*.ts >"$W/dl/hls.expected"
if want hls; then
    t_eng=$(timed engine "$BASE/hls/index.m3u8" "$W/dl/hls.engine" 0 1)
    same_or_die "$W/dl/hls.engine" "$W/dl/hls.expected"; rm -f "$W/dl/hls.engine"
    report "HLS 500 x 100 ms: engine turbo" "$t_eng s"
    if [ "${have[yt-dlp]}" = 1 ]; then
        t_yt=$(timed yt-dlp -q --no-warnings --no-cache-dir --hls-prefer-native --fixup never -N 16 \
            -o "$W/dl/hls.ytdlp.%(ext)s" "$BASE/hls/index.m3u8")
        rm -f "$W/dl/"hls.ytdlp.*
        report "HLS 500 x 100 ms: yt-dlp -N 16" "$t_yt s, engine $(ratio "$t_yt" "$t_eng") x faster (target > 1)"
    else
        report "HLS 500 x 100 ms: yt-dlp -N 16" "skipped: yt-dlp not installable here"
    fi
    if [ "${have[aria2c]}" = 1 ]; then
        mkdir -p "$W/dl/aria"
        grep '\.ts$' "$W/www/hls/index.m3u8" | sed "s|^|$BASE/hls/|" >"$W/dl/aria.list"
        aria_hls() {
            curl -s -f -o "$W/dl/aria/index.m3u8" "$BASE/hls/index.m3u8"
            aria2c -q -j16 -x1 --allow-overwrite=true -d "$W/dl/aria" -i "$W/dl/aria.list"
            grep '\.ts$' "$W/dl/aria/index.m3u8" | sed "s|^|$W/dl/aria/|" | xargs cat >"$W/dl/hls.aria2"
        }
        t_aria=$(timed aria_hls)
        same_or_die "$W/dl/hls.aria2" "$W/dl/hls.expected"; rm -rf "$W/dl/aria" "$W/dl/hls.aria2"
        report "HLS 500 x 100 ms: aria2c -j16 + concat" "$t_aria s, engine $(ratio "$t_aria" "$t_eng") x faster (target > 1)"
    fi
    t_ff=$(timed ffmpeg -hide_banner -loglevel error -y -i "$BASE/hls/index.m3u8" -c copy -f mpegts "$W/dl/hls.ffmpeg.ts")
    rm -f "$W/dl/hls.ffmpeg.ts"
    report "HLS 500 x 100 ms: ffmpeg -c copy" "$t_ff s, engine $(ratio "$t_ff" "$t_eng") x faster (target >= 10)"
fi

# Kill at random points, resume, compare; count what the server sent twice.
kill_test() { # NAME URL_PATH LOG_PATTERN EXPECTED_FILE TURBO
    local name="$1" url="$BASE$2" pattern="$3" expected="$4" turbo="$5"
    local size kills=0 rounds=0 before sent out="$W/dl/kill.$name"
    size=$(stat -L -c %s "$expected")
    before=$(sent_bytes "$pattern")
    while [ $kills -lt 20 ]; do
        rounds=$((rounds + 1))
        rm -f "$out" "$out".cv*
        local resume=0 done=0
        while [ $done = 0 ]; do
            if [ $kills -ge 20 ]; then
                engine "$url" "$out" $resume "$turbo" >"$W/kill.out" || { say "$name: final resume failed: $(cat "$W/kill.out")"; exit 1; }
                done=1
                break
            fi
            # The binary itself in the background: killing a subshell would leave it running.
            "$fetch" "$lib" "$url" "$out" $resume "$turbo" >"$W/kill.out" &
            local pid=$!
            # A point between 0.1 and 1.0 s into this run.
            sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.3f", 0.1 + 0.9 * r / 32767 }')"
            if kill -9 "$pid" 2>/dev/null; then
                wait "$pid" 2>/dev/null || true
                kills=$((kills + 1))
            else
                wait "$pid" || { say "$name: run failed: $(cat "$W/kill.out")"; exit 1; }
                done=1
            fi
            resume=1
        done
        same_or_die "$out" "$expected"
    done
    rm -f "$out" "$out".cv*
    sent=$(( $(sent_bytes "$pattern") - before ))
    local extra=$((sent - size * rounds))
    report "kill x$kills ($name, $rounds rounds)" "byte-identical, re-downloaded $(awk -v e=$extra 'BEGIN { printf "%.1f", e / 1048576 }') MiB = $(awk -v e=$extra -v k=$kills 'BEGIN { printf "%.2f", e / k / 1048576 }') MiB per kill"
}
if want kill; then
    # Both modes: pieces go out in parallel either way.
    kill_test turbo /slow/kill.bin '^/slow/kill\.bin$' "$W/www/mid.bin" 1
    kill_test default /slow/kill.bin '^/slow/kill\.bin$' "$W/www/mid.bin" 0
    kill_test hls-turbo /hlskill/index.m3u8 '^/hlskill/seg' "$W/dl/hls.expected" 1
    kill_test hls-default /hlskill/index.m3u8 '^/hlskill/seg' "$W/dl/hls.expected" 0
fi
rm -f "$W/dl/hls.expected"

echo
echo "Engine benchmark ($(nproc) cores, loopback nginx, one run)"
printf '%s\n' "${results[@]}"
