#!/usr/bin/env bash
# Download engine benchmark: libCorvidash against curl, aria2c, yt-dlp and
# ffmpeg, all fetching from an nginx on 127.0.0.1 that this script starts.
#   run-engine-bench.sh FETCH_BINARY LIBCORVIDASH_SO
# Environment: CORVIDASH_BENCH_DIR (work folder, default a new one in /tmp),
# CORVIDASH_BENCH_KEEP=1 keeps the served files, CORVIDASH_BENCH_SEED for the
# kill points, CORVIDASH_BENCH_ONLY="big throttled hls kill" picks sections,
# CORVIDASH_BENCH_LOG=FILE makes the engine log there at debug level. Needs about 1.6 GiB free in the work folder; every download is
# deleted after its measurement.
set -euo pipefail

fetch="$(realpath "${1:?usage: $0 FETCH_BINARY LIBCORVIDASH_SO}")"
lib="$(realpath "${2:?usage: $0 FETCH_BINARY LIBCORVIDASH_SO}")"
RANDOM=${CORVIDASH_BENCH_SEED:-$$}

say() { printf '%s\n' "$*" >&2; }
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
mib_s() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.1f", n / s / 1048576 }'; }

# --- peers ----------------------------------------------------------------
declare -A have
install_peers() {
    local missing=() p
    for p in nginx-light aria2 curl ffmpeg yt-dlp; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        local available=()
        for p in "${missing[@]}"; do
            if apt-cache policy "$p" 2>/dev/null | grep -q 'Candidate: [0-9]'; then
                available+=("$p")
            else
                say "note: $p has no installable candidate; its comparison is skipped"
            fi
        done
        if [ ${#available[@]} -gt 0 ]; then
            say "installing ${available[*]}"
            DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${available[@]}" >&2
        fi
    fi
    for p in nginx aria2c curl ffmpeg yt-dlp; do
        if command -v "$p" >/dev/null 2>&1 || [ -x "/usr/sbin/$p" ]; then have[$p]=1; else have[$p]=0; fi
    done
    [ "${have[nginx]}" = 1 ] && [ "${have[curl]}" = 1 ] || { say "nginx and curl are required"; exit 1; }
}

# --- work folder, files, server -------------------------------------------
W="${CORVIDASH_BENCH_DIR:-$(mktemp -d /tmp/corvidash-bench-XXXXXX)}"
mkdir -p "$W/www/hls" "$W/dl" "$W/tmp"
chmod 755 "$W" "$W/www" "$W/www/hls"
nginx_pid=""
cleanup() {
    [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null || true
    rm -rf "$W/dl" "$W/tmp"
    if [ "${CORVIDASH_BENCH_KEEP:-0}" != 1 ]; then
        rm -rf "$W/www"
        [ -n "${CORVIDASH_BENCH_DIR:-}" ] || rm -rf "$W"
    fi
}
trap cleanup EXIT

make_files() {
    if [ ! -s "$W/www/big.bin" ] || [ "$(stat -c %s "$W/www/big.bin")" != 1073741824 ]; then
        say "writing 1 GiB of random data"
        head -c 1G /dev/urandom >"$W/www/big.bin"
    fi
    [ -s "$W/www/mid.bin" ] || head -c 256M "$W/www/big.bin" >"$W/www/mid.bin"
    ln -sf mid.bin "$W/www/kill.bin"
    if [ ! -s "$W/www/hls/index.m3u8" ] || [ "$(grep -c '\.ts$' "$W/www/hls/index.m3u8")" != 500 ]; then
        say "encoding 500 HLS segments"
        rm -f "$W/www/hls/"*
        # About 256 KiB a segment: one second of MPEG-2 at 2 Mbit/s, a key frame each second.
        ffmpeg -hide_banner -loglevel error -f lavfi -i testsrc2=size=640x360:rate=25 -t 500 \
            -c:v mpeg2video -b:v 2M -maxrate 2M -bufsize 1M -g 25 -sc_threshold 0 \
            -f hls -hls_time 1 -hls_list_size 0 -hls_segment_filename "$W/www/hls/seg%03d.ts" \
            "$W/www/hls/index.m3u8"
    fi
    ln -sfn hls "$W/www/hlskill"
}

start_nginx() {
    local conf="$W/nginx.conf" port tries
    for tries in 1 2 3 4 5; do
        port=$((20000 + RANDOM % 30000))
        cat >"$conf" <<EOF
load_module /usr/lib/nginx/modules/ngx_http_echo_module.so;
$( [ "$(id -u)" -eq 0 ] && echo "user root;" )
daemon off;
worker_processes 4;
pid $W/nginx.pid;
error_log $W/nginx-error.log warn;
events { worker_connections 2048; }
http {
    log_format bench '\$uri \$status \$body_bytes_sent';
    access_log $W/access.log bench;
    client_body_temp_path $W/tmp/body; proxy_temp_path $W/tmp/proxy; fastcgi_temp_path $W/tmp/fcgi;
    uwsgi_temp_path $W/tmp/uwsgi; scgi_temp_path $W/tmp/scgi;
    sendfile on; tcp_nopush on; keepalive_requests 100000;
    types { application/octet-stream bin; video/mp2t ts; application/vnd.apple.mpegurl m3u8; }
    server {
        listen 127.0.0.1:$port;
        root $W/www;
        location /fast/ { alias $W/www/; }
        location /slow/ { alias $W/www/; limit_rate 4m; }
        # Every playlist and segment request waits 100 ms, like a distant CDN.
        location ~ ^/(hls|hlskill)/ { echo_sleep 0.1; echo_exec @static; }
        location @static { }
    }
}
EOF
        : >"$W/access.log"
        /usr/sbin/nginx -c "$conf" -p "$W" 2>>"$W/nginx-error.log" &
        nginx_pid=$!
        local i
        for i in $(seq 50); do
            if curl -s -o /dev/null "http://127.0.0.1:$port/fast/kill.bin" -r 0-0; then
                BASE="http://127.0.0.1:$port"
                return 0
            fi
            kill -0 "$nginx_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$nginx_pid" 2>/dev/null || true
        wait "$nginx_pid" 2>/dev/null || true
        nginx_pid=""
    done
    say "nginx did not start"; cat "$W/nginx-error.log" >&2; exit 1
}

# Bytes nginx sent for paths matching a pattern, from the access log.
sent_bytes() { awk -v re="$1" '$1 ~ re { s += $3 } END { printf "%d", s }' "$W/access.log"; }

# Runs a command, prints its wall time in seconds.
timed() {
    local t0 t1
    t0=$(now)
    "$@" >"$W/last.out" 2>"$W/last.err" || { say "failed: $*"; cat "$W/last.err" >&2; return 1; }
    t1=$(now)
    elapsed "$t0" "$t1"
}

engine() { # URL PATH RESUME TURBO
    "$fetch" "$lib" "$@"
}

same_or_die() {
    cmp -s "$1" "$2" || { say "MISMATCH: $1 differs from $2"; exit 1; }
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
kill_test() { # NAME URL_PATH LOG_PATTERN EXPECTED_FILE
    local name="$1" url="$BASE$2" pattern="$3" expected="$4"
    local size kills=0 rounds=0 before sent out="$W/dl/kill.$name"
    size=$(stat -L -c %s "$expected")
    before=$(sent_bytes "$pattern")
    while [ $kills -lt 20 ]; do
        rounds=$((rounds + 1))
        rm -f "$out" "$out".cv*
        local resume=0 done=0
        while [ $done = 0 ]; do
            if [ $kills -ge 20 ]; then
                engine "$url" "$out" $resume 1 >"$W/kill.out" || { say "$name: final resume failed: $(cat "$W/kill.out")"; exit 1; }
                done=1
                break
            fi
            # The binary itself in the background: killing a subshell would leave it running.
            "$fetch" "$lib" "$url" "$out" $resume 1 >"$W/kill.out" &
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
    kill_test turbo /slow/kill.bin '^/slow/kill\.bin$' "$W/www/mid.bin"
    kill_test hls /hlskill/index.m3u8 '^/hlskill/seg' "$W/dl/hls.expected"
fi
rm -f "$W/dl/hls.expected"

echo
echo "Engine benchmark ($(nproc) cores, loopback nginx, one run)"
printf '%s\n' "${results[@]}"
