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

# run_wrk SECONDS URL -> "requests seconds bytes errors" from wrk's summary
# line ("N requests in 2.00s, 19.95MB read") and its error lines.
run_wrk() {
  local out
  out=$(wrk -t"$THREADS" -c"$CONNECTIONS" -d"${1}s" --timeout 10s "$2")
  awk '/requests in/ {
         n = $1; t = $4; sub(/,$/, "", t); m = (t ~ /ms$/) ? 0.001 : ((t ~ /m$/) ? 60 : 1); sub(/[a-z]+$/, "", t);
         b = $5; u = $5; sub(/[A-Za-z,]+$/, "", b); gsub(/[0-9.,]/, "", u);
         f = (u ~ /^GB/) ? 1073741824 : (u ~ /^MB/) ? 1048576 : (u ~ /^KB/) ? 1024 : 1;
                printf "%d %.3f %.0f ", n, t * m, b * f }
       /Socket errors|Non-2xx/ { e = e $0 " " }
       END { print (e == "" ? "none" : e) }' <<<"$out"
}

# The machine is shared, so its load changes while the benchmark runs. Both
# servers run in turns (ROUNDS short runs each, the order swapped every round)
# and each figure is the total over its runs, so that neither server is
# favoured by a quieter spell.
ROUNDS=${ROUNDS:-5}
SLICE=$(( DURATION / ROUNDS > 0 ? DURATION / ROUNDS : 1 ))
measure() {  # measure PATH -> "pagora_rps pagora_bytes_per_s nginx_rps nginx_bytes_per_s errors"
  local pn=0 pt=0 pb=0 nn=0 nt=0 nb=0 errors="" n t b e
  for r in $(seq "$ROUNDS"); do
    for who in $( ((r % 2)) && echo "p n" || echo "n p"); do
      if [ "$who" = p ]; then
        read -r n t b e <<<"$(run_wrk "$SLICE" "${SERVE_BASE}$1")"
        pn=$((pn + n)); pt=$(awk -v a="$pt" -v b="$t" 'BEGIN {print a + b}'); pb=$(awk -v a="$pb" -v b="$b" 'BEGIN {printf "%.0f", a + b}')
      else
        read -r n t b e <<<"$(run_wrk "$SLICE" "http://127.0.0.1:$NGINX_PORT/$1")"
        nn=$((nn + n)); nt=$(awk -v a="$nt" -v b="$t" 'BEGIN {print a + b}'); nb=$(awk -v a="$nb" -v b="$b" 'BEGIN {printf "%.0f", a + b}')
      fi
      [ "$e" = none ] || errors="$errors $who: $e"
    done
  done
  awk -v pn="$pn" -v pt="$pt" -v pb="$pb" -v nn="$nn" -v nt="$nt" -v nb="$nb" -v e="${errors:- none}" \
    'BEGIN { printf "%.0f %.0f %.0f %.0f%s\n", pn / pt, pb / pt, nn / nt, nb / nt, e }'
}

echo "wrk -t$THREADS -c$CONNECTIONS, ${ROUNDS} turns of ${SLICE}s per server on loopback; nginx: 1 worker, keepalive_timeout 0"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
read -r p_rps _ n_rps _ page_err <<<"$(measure bench/page.htm)"
read -r pb_rps pb_bytes nb_rps nb_bytes pic_err <<<"$(measure bench/pic.jpg)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

awk -v p="$p_rps" -v n="$n_rps" -v pb="$pb_bytes" -v nb="$nb_bytes" -v pbr="$pb_rps" -v nbr="$nb_rps" 'BEGIN {
  printf "10 KB page   pagora-serve %10.0f req/s   nginx %10.0f req/s   ratio %.2f  (goal >= 1.00)\n", p, n, p / n;
  printf "1 MB picture pagora-serve %7.2f GB/s (%5.0f req/s)   nginx %7.2f GB/s (%5.0f req/s)   ratio %.2f  (goal >= 1.00 GB/s)\n",
         pb / 1e9, pbr, nb / 1e9, nbr, pb / nb;
}'
echo "errors: page: $page_err; picture: $pic_err"
