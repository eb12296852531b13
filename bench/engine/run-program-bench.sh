#!/usr/bin/env bash
# Whole-program benchmark: `Reelgrab -u` as a user runs it (a clean HOME for every run)
# against curl, aria2c and yt-dlp on the engine bench's loopback nginx, in default and in
# parallel settings, alternating runs; prints medians, ratios and each target with its figure.
# Turbo cannot be asked of `Reelgrab -u` (the helper keeps it for one site), so the turbo
# figures come from the engine's own fetch program.
#   run-program-bench.sh REELGRAB FETCH_BINARY LIBCORVIDASH_SO [HELPER_BENCH]
# Environment: FENNIX_BENCH_RUNS (runs of each side, default 3), FENNIX_BENCH_ONLY="small big
# throttled hls start", and the engine bench's CORVIDASH_BENCH_DIR / CORVIDASH_BENCH_KEEP.
set -euo pipefail

here="$(dirname "$(realpath "$0")")"
reelgrab="$(realpath "${1:?usage: $0 REELGRAB FETCH_BINARY LIBCORVIDASH_SO [HELPER_BENCH]}")"
fetch="$(realpath "${2:?usage: $0 REELGRAB FETCH_BINARY LIBCORVIDASH_SO [HELPER_BENCH]}")"
lib="$(realpath "${3:?usage: $0 REELGRAB FETCH_BINARY LIBCORVIDASH_SO [HELPER_BENCH]}")"
helper_bench="${4:-}"
runs="${FENNIX_BENCH_RUNS:-3}"
# shellcheck source=bench-server.sh
. "$here/bench-server.sh"

want() { [ -z "${FENNIX_BENCH_ONLY:-}" ] || [[ " $FENNIX_BENCH_ONLY " == *" $1 "* ]]; }
[ -x /usr/bin/time ] || { say "/usr/bin/time is required (Debian package time)"; exit 1; }

# One measured run: wall time into $W/t, peak RSS (KiB) into $W/rss. Blocks on the program.
measure() {
    local t0 t1
    t0=$(now)
    /usr/bin/time -f '%M' -o "$W/rss" "$@" >"$W/last.out" 2>"$W/last.err" || {
        say "failed: $*"; tail -5 "$W/last.err" >&2; return 1; }
    t1=$(now)
    elapsed "$t0" "$t1" >"$W/t"
}

# Reelgrab -u with a HOME of its own, as on a first start; the saved path is its output.
reelgrab_measure() {
    local home
    home=$(mktemp -d "$W/home-XXXXXX")
    mkdir -p -m 700 "$home/run"
    measure env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$home/run" LANG=C.UTF-8 "$reelgrab" -u "$1"
}

# median of the numbers given
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
verdict() { awk -v v="$1" -v t="$2" -v op="$3" 'BEGIN { ok = op == ">=" ? v >= t : v <= t; print ok ? "met" : "MISSED" }'; }

declare -A times rss
results=()
line() { results+=("$1"); say "$1"; }

# Runs each named side $runs times, alternating, into times[side] (space-separated).
# A side is a function taking the round number.
alternate() {
    local round side
    for round in $(seq "$runs"); do
        for side in "$@"; do
            "$side" "$round"
            times[$side]+="$(cat "$W/t") "
            rss[$side]+="$(cat "$W/rss") "
        done
    done
}
med() { median ${times[$1]}; }
medrss() { median ${rss[$1]}; }
clean_home_downloads() { rm -rf "$W"/home-*; }

install_peers
make_files
start_nginx
say "serving $W/www at $BASE"

# --- a 2 KB file ---------------------------------------------------------------------------
if want small; then
    small_reelgrab() { reelgrab_measure "$BASE/fast/small.mp4"; cmp -s "$(cat "$W/last.out")" "$W/www/small.mp4" || { say "small: MISMATCH"; exit 1; }; clean_home_downloads; }
    small_curl() { measure curl -s -f -o "$W/dl/small.curl" "$BASE/fast/small.mp4"; rm -f "$W/dl/small.curl"; }
    alternate small_reelgrab small_curl
    d=$(awk -v a="$(med small_reelgrab)" -v b="$(med small_curl)" 'BEGIN { printf "%.3f", a - b }')
    line "$(printf '%-46s %s' "2 KB file, Reelgrab -u / curl:" "$(med small_reelgrab) s / $(med small_curl) s: +$d s (target within 0.1 s) $(verdict "$d" 0.1 '<=')")"
fi

# --- 1 GiB unthrottled ----------------------------------------------------------------------
big=1073741824
if want big; then
    big_reelgrab() {
        reelgrab_measure "$BASE/fast/big.mp4"
        [ "$1" != 1 ] || same_or_die "$(cat "$W/last.out")" "$W/www/big.bin"
        clean_home_downloads
    }
    big_curl() { measure curl -s -f -o "$W/dl/big.curl" "$BASE/fast/big.mp4"; rm -f "$W/dl/big.curl"; }
    alternate big_reelgrab big_curl
    r=$(ratio "$(med big_curl)" "$(med big_reelgrab)")
    line "$(printf '%-46s %s' "1 GiB unthrottled, Reelgrab -u / curl:" "$(med big_reelgrab) s / $(med big_curl) s = $(mib_s $big "$(med big_reelgrab)") MiB/s, ratio $r x curl (target >= 0.95) $(verdict "$r" 0.95 '>=')")"
    m=$(( $(medrss big_reelgrab) / 1024 ))
    line "$(printf '%-46s %s' "1 GiB unthrottled, Reelgrab peak RSS:" "$m MiB (target <= 64 MiB) $(verdict "$m" 64 '<=')")"
fi

# --- 256 MiB at 4 MiB/s per connection -----------------------------------------------------
mid=268435456
if want throttled; then
    # How many connections the engine's log says the download took.
    connections_of() {
        if [ -n "$1" ] && [ -f "$1" ]; then
            awk '/ended \(0\) with up to/ { n = $(NF - 1) } END { print n + 0 }' "$1"
        else
            echo 0
        fi
    }
    mid_reelgrab() {
        local before; before=$(sent_bytes '^/slow/mid\.mp4$')
        reelgrab_measure "$BASE/slow/mid.mp4"
        [ "$1" != 1 ] || same_or_die "$(cat "$W/last.out")" "$W/www/mid.bin"
        mid_over+="$(( $(sent_bytes '^/slow/mid\.mp4$') - before - mid )) "
        mid_conn+="$(connections_of "$(find "$W"/home-* -name '*core.log' 2>/dev/null | head -1)") "
        clean_home_downloads
    }
    mid_aria8() {
        measure aria2c -q -x8 -s8 -k1M --allow-overwrite=true --auto-file-renaming=false --file-allocation=falloc \
            -d "$W/dl" -o mid.aria2 "$BASE/slow/mid.bin"
        rm -f "$W/dl/mid.aria2"
    }
    mid_turbo() {
        local before; before=$(sent_bytes '^/slow/kill\.bin$')
        CORVIDASH_BENCH_LOG="$W/turbo.log" measure "$fetch" "$lib" "$BASE/slow/kill.bin" "$W/dl/mid.turbo" 0 1
        [ "$1" != 1 ] || same_or_die "$W/dl/mid.turbo" "$W/www/mid.bin"
        rm -f "$W/dl/mid.turbo"
        turbo_over+="$(( $(sent_bytes '^/slow/kill\.bin$') - before - mid )) "
        turbo_conn+="$(connections_of "$W/turbo.log") "
        rm -f "$W/turbo.log"
    }
    mid_aria16() {
        measure aria2c -q -x16 -s16 -k1M --allow-overwrite=true --auto-file-renaming=false --file-allocation=falloc \
            -d "$W/dl" -o mid.aria2 "$BASE/slow/mid.bin"
        rm -f "$W/dl/mid.aria2"
    }
    mid_over=""; mid_conn=""; turbo_over=""; turbo_conn=""
    sides=(mid_reelgrab mid_turbo)
    if [ "${have[aria2c]}" = 1 ]; then sides=(mid_reelgrab mid_aria8 mid_turbo mid_aria16); else say "aria2c missing: its comparisons are skipped"; fi
    alternate "${sides[@]}"
    over=$(awk -v o="$(median $mid_over)" -v n=$mid 'BEGIN { printf "%.2f", 100 * o / n }')
    tover=$(awk -v o="$(median $turbo_over)" -v n=$mid 'BEGIN { printf "%.2f", 100 * o / n }')
    conn=$(median $mid_conn); tconn=$(median $turbo_conn)
    line "$(printf '%-46s %s' "256 MiB 4 MiB/s/conn, Reelgrab -u:" "$(med mid_reelgrab) s = $(mib_s $mid "$(med mid_reelgrab)") MiB/s over up to $conn connections, over-fetch $over % (target < 3 %) $(verdict "$over" 3 '<=')")"
    line "$(printf '%-46s %s' "256 MiB 4 MiB/s/conn, engine turbo:" "$(med mid_turbo) s = $(mib_s $mid "$(med mid_turbo)") MiB/s over up to $tconn connections, over-fetch $tover % (target < 3 %) $(verdict "$tover" 3 '<=')")"
    use=$(awk -v n=$mid -v t="$(med mid_turbo)" -v c="$tconn" 'BEGIN { if (c > 0) printf "%.0f", 100 * n / t / (c * 4194304); else print 0 }')
    line "$(printf '%-46s %s' "256 MiB 4 MiB/s/conn, turbo bandwidth use:" "$use % of what $tconn connections allow (target >= 85 %) $(verdict "$use" 85 '>=')")"
    if [ "${have[aria2c]}" = 1 ]; then
        r=$(ratio "$(med mid_aria8)" "$(med mid_reelgrab)")
        line "$(printf '%-46s %s' "256 MiB, Reelgrab -u / aria2c -x8 -s8:" "$(med mid_reelgrab) s / $(med mid_aria8) s, ratio $r (target >= 1.0) $(verdict "$r" 1.0 '>=')")"
        r=$(ratio "$(med mid_aria16)" "$(med mid_turbo)")
        line "$(printf '%-46s %s' "256 MiB, engine turbo / aria2c -x16 -s16:" "$(med mid_turbo) s / $(med mid_aria16) s, ratio $r (target >= 1.0) $(verdict "$r" 1.0 '>=')")"
        # aria2c stops at 16 connections: per connection is the comparison at the same count.
        per=$(awk -v n=$mid -v a="$(med mid_aria16)" -v t="$(med mid_turbo)" -v c="$tconn" \
            'BEGIN { if (c > 0) printf "%.2f", (n / t / c) / (n / a / 16); else print 0 }')
        line "$(printf '%-46s %s' "256 MiB, per connection, turbo / aria2c -x16:" "ratio $per (target >= 1.0) $(verdict "$per" 1.0 '>=')")"
    fi
fi

# --- HLS: 500 segments, 100 ms before each answer ------------------------------------------
if want hls; then
    cat "$W/www/hls/"seg*.ts >"$W/dl/hls.expected"
    hls_reelgrab() {
        reelgrab_measure "$BASE/hls/index.m3u8"
        [ -s "$(cat "$W/last.out")" ] || { say "hls: Reelgrab left no file"; exit 1; }
        clean_home_downloads
    }
    hls_turbo() {
        measure "$fetch" "$lib" "$BASE/hls/index.m3u8" "$W/dl/hls.turbo" 0 1
        [ "$1" != 1 ] || same_or_die "$W/dl/hls.turbo" "$W/dl/hls.expected"
        rm -f "$W/dl/hls.turbo"
    }
    ytdlp() { # N
        measure yt-dlp -q --no-warnings --no-cache-dir --hls-prefer-native --fixup never -N "$1" \
            -o "$W/dl/hls.ytdlp.%(ext)s" "$BASE/hls/index.m3u8"
        rm -f "$W/dl/"hls.ytdlp.*
    }
    hls_ytdlp8() { ytdlp 8; }
    hls_ytdlp16() { ytdlp 16; }
    sides=(hls_reelgrab hls_turbo)
    if [ "${have[yt-dlp]}" = 1 ]; then sides=(hls_reelgrab hls_ytdlp8 hls_turbo hls_ytdlp16); else say "yt-dlp missing: its comparisons are skipped"; fi
    alternate "${sides[@]}"
    line "$(printf '%-46s %s' "HLS 500 x 100 ms, Reelgrab -u (with remux):" "$(med hls_reelgrab) s")"
    line "$(printf '%-46s %s' "HLS 500 x 100 ms, engine turbo:" "$(med hls_turbo) s")"
    if [ "${have[yt-dlp]}" = 1 ]; then
        r=$(ratio "$(med hls_ytdlp8)" "$(med hls_reelgrab)")
        line "$(printf '%-46s %s' "HLS, Reelgrab -u / yt-dlp -N 8:" "$(med hls_reelgrab) s / $(med hls_ytdlp8) s, ratio $r (target >= 1.0) $(verdict "$r" 1.0 '>=')")"
        r=$(ratio "$(med hls_ytdlp16)" "$(med hls_turbo)")
        line "$(printf '%-46s %s' "HLS, engine turbo / yt-dlp -N 16:" "$(med hls_turbo) s / $(med hls_ytdlp16) s, ratio $r (target >= 1.5) $(verdict "$r" 1.5 '>=')")"
    fi
    rm -f "$W/dl/hls.expected"
fi

# --- helper start to first progress ------------------------------------------------------
if want start; then
    if [ -n "$helper_bench" ] && [ -x "$helper_bench" ]; then
        "$helper_bench" "$((runs * 4))" >"$W/helper.out" 2>"$W/helper.err" || { say "helper_bench failed"; cat "$W/helper.err" >&2; }
        while IFS= read -r l; do line "$l"; done < <(grep 'first progress' "$W/helper.out")
    else
        say "helper start: helper_bench not given; skipped"
    fi
fi

echo
echo "Whole-program benchmark ($(nproc) cores, loopback nginx, medians of $runs alternated runs)"
printf '%s\n' "${results[@]}"
