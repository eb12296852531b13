# Shared by the download benchmarks: the peers (installed with apt-get when missing), the
# work folder with its served files, and the nginx on 127.0.0.1 that serves them. Sourced.
# Environment: CORVIDASH_BENCH_DIR (work folder, default a new one in /tmp),
# CORVIDASH_BENCH_KEEP=1 keeps the served files between runs.
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
    # Addresses as storage servers give them: a media name and a type that says nothing.
    ln -sf big.bin "$W/www/big.mp4"
    ln -sf mid.bin "$W/www/mid.mp4"
    [ -s "$W/www/small.mp4" ] || head -c 2048 /dev/urandom >"$W/www/small.mp4"
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
    types { application/octet-stream bin mp4; video/mp2t ts; application/vnd.apple.mpegurl m3u8; }
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

same_or_die() {
    cmp -s "$1" "$2" || { say "MISMATCH: $1 differs from $2"; exit 1; }
}

