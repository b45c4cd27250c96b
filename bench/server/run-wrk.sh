#!/usr/bin/env bash
# Throughput of the loopback server against nginx, in the same run:
# a 10 KB page and a 1 MB picture, served by pagora-serve from a 10 000-entry
# ZIP and by nginx (one worker, keepalive_timeout 0) from the unpacked files.
#   bench/server/run-wrk.sh            (DURATION=10 CONNECTIONS=50 THREADS=2)
# Goals: small page at least nginx's requests per second; picture >= 1 GB/s.
set -euo pipefail
source "$(dirname "$0")/common.sh"
DURATION=${DURATION:-10}
CONNECTIONS=${CONNECTIONS:-50}
THREADS=${THREADS:-2}

need_tools wrk nginx
[ -x "$BIN/pagora-serve" ] || { echo "build pagora-serve first (cmake --build build --target pagora-serve)"; exit 1; }
WORK=${WORK:-/tmp/pagora-bench}
mkdir -p "$WORK"
make_archive "$WORK"

NGINX_PID=""
cleanup() {
  stop_serve
  [ -n "$NGINX_PID" ] && kill -TERM "$NGINX_PID" 2>/dev/null || true
}
trap cleanup EXIT

NGINX_PORT=$(free_port)
cat >"$WORK/nginx.conf" <<CONF
worker_processes 1;
daemon off;
master_process off;
pid $WORK/nginx.pid;
error_log $WORK/nginx.err;
events { worker_connections 4096; }
http {
  access_log off;
  keepalive_timeout 0;
  sendfile on;
  client_body_temp_path $WORK/nginx-tmp;
  proxy_temp_path $WORK/nginx-tmp;
  fastcgi_temp_path $WORK/nginx-tmp;
  uwsgi_temp_path $WORK/nginx-tmp;
  scgi_temp_path $WORK/nginx-tmp;
  types { text/html htm; image/jpeg jpg; }
  server { listen 127.0.0.1:$NGINX_PORT; root $WORK/www; }
}
CONF
mkdir -p "$WORK/nginx-tmp"
nginx -c "$WORK/nginx.conf" -p "$WORK" &
NGINX_PID=$!
start_serve "$WORK/book.zip"
for _ in $(seq 50); do
  curl -fs -o /dev/null "http://127.0.0.1:$NGINX_PORT/bench/page.htm" && break
  sleep 0.1
done

# Both servers must give the same bytes before their speed means anything.
for f in bench/page.htm bench/pic.jpg; do
  cmp -s <(curl -fs "$SERVE_BASE$f") "$WORK/www/$f" || { echo "pagora-serve: wrong bytes for $f"; exit 1; }
  cmp -s <(curl -fs "http://127.0.0.1:$NGINX_PORT/$f") "$WORK/www/$f" || { echo "nginx: wrong bytes for $f"; exit 1; }
done

run_wrk() {  # run_wrk URL -> "requests/s bytes/s errors"
  local out
  out=$(wrk -t"$THREADS" -c"$CONNECTIONS" -d"${DURATION}s" --timeout 10s "$1")
  local rps bytes errors
  rps=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  bytes=$(awk '/^Transfer\/sec:/ {v=$2; u=substr(v,length(v)-1); n=substr(v,1,length(v)-2);
          m=(u=="GB")?1073741824:(u=="MB")?1048576:(u=="KB")?1024:1; if (u !~ /[KMG]B/) {n=v; m=1}; printf "%.0f", n*m}' <<<"$out")
  errors=$(awk '/Socket errors|Non-2xx/ {print}' <<<"$out" | tr '\n' ' ')
  echo "$rps $bytes ${errors:-none}"
}

echo "wrk -t$THREADS -c$CONNECTIONS -d${DURATION}s on loopback; nginx: 1 worker, keepalive_timeout 0"
read -r p_rps _ p_err <<<"$(run_wrk "${SERVE_BASE}bench/page.htm")"
read -r n_rps _ n_err <<<"$(run_wrk "http://127.0.0.1:$NGINX_PORT/bench/page.htm")"
read -r pb_rps pb_bytes pb_err <<<"$(run_wrk "${SERVE_BASE}bench/pic.jpg")"
read -r nb_rps nb_bytes nb_err <<<"$(run_wrk "http://127.0.0.1:$NGINX_PORT/bench/pic.jpg")"

awk -v p="$p_rps" -v n="$n_rps" -v pb="$pb_bytes" -v nb="$nb_bytes" -v pbr="$pb_rps" -v nbr="$nb_rps" 'BEGIN {
  printf "10 KB page   pagora-serve %10.0f req/s   nginx %10.0f req/s   ratio %.2f  (goal >= 1.00)\n", p, n, p / n;
  printf "1 MB picture pagora-serve %7.2f GB/s (%5.0f req/s)   nginx %7.2f GB/s (%5.0f req/s)   ratio %.2f  (goal >= 1.00 GB/s)\n",
         pb / 1e9, pbr, nb / 1e9, nbr, pb / nb;
}'
echo "errors: pagora page: $p_err; nginx page: $n_err; pagora picture: $pb_err; nginx picture: $nb_err"
