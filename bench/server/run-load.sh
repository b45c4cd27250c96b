#!/usr/bin/env bash
# Load test of the loopback server: 200 concurrent connections for 60 s, then
# idle connections that send nothing. Checks that the server survives, that
# every connection thread is reaped, that descriptors and memory return to
# where they started, and that idle connections are closed after the
# client time-out (10 s).
#   bench/server/run-load.sh        (DURATION=60 CONNECTIONS=200 IDLE=200)
set -euo pipefail
source "$(dirname "$0")/common.sh"
DURATION=${DURATION:-60}
CONNECTIONS=${CONNECTIONS:-200}
IDLE=${IDLE:-200}
# Memory may stay this much above the start (allocator caches), in KiB.
RSS_SLACK_KB=${RSS_SLACK_KB:-8192}

need_tools wrk
[ -x "$BIN/pagora-serve" ] || { echo "build pagora-serve first"; exit 1; }
WORK=${WORK:-/tmp/pagora-bench}
mkdir -p "$WORK"
make_archive "$WORK"
trap stop_serve EXIT
start_serve "$WORK/book.zip"
PORT=$(sed -E 's#.*:([0-9]+)/$#\1#' <<<"$SERVE_BASE")

snapshot() {  # "threads fds rss_kb" of pagora-serve
  local threads rss fds
  threads=$(awk '/^Threads:/ {print $2}' "/proc/$SERVE_PID/status")
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$SERVE_PID/status")
  fds=$(ls "/proc/$SERVE_PID/fd" | wc -l)
  echo "$threads $fds $rss"
}
settle() {  # waits (at most 15 s) until threads and descriptors are back at the start
  for _ in $(seq 150); do
    read -r t f _ <<<"$(snapshot)"
    [ "$t" -eq "$T0" ] && [ "$f" -eq "$F0" ] && return 0
    sleep 0.1
  done
  return 1
}

# Warm up once so that the archive handle and allocator pools exist at the start,
# then wait until the parked connection thread of the warm-up has been ended
# (after one idle second), so that the start counts no connection thread.
curl -fs -o /dev/null "${SERVE_BASE}bench/page.htm"
curl -fs -o /dev/null "${SERVE_BASE}bench/pic.jpg"
sleep 2
read -r T0 F0 R0 <<<"$(snapshot)"
echo "start: threads $T0, descriptors $F0, RSS $R0 KiB"

status=0
echo "wrk -t2 -c$CONNECTIONS -d${DURATION}s (page and picture alternating by connection)"
cat >"$WORK/mix.lua" <<'LUA'
local n = 0
request = function()
  n = n + 1
  if n % 10 == 0 then return wrk.format("GET", "/bench/pic.jpg") end
  return wrk.format("GET", "/bench/page.htm")
end
LUA
wrk -t2 -c"$CONNECTIONS" -d"${DURATION}s" --timeout 15s -s "$WORK/mix.lua" "$SERVE_BASE" | grep -E "Requests/sec|Transfer/sec|Socket errors|Non-2xx" || true
kill -0 "$SERVE_PID" || { echo "FAIL: pagora-serve died"; exit 1; }
read -r t f r <<<"$(snapshot)"
echo "right after load: threads $t, descriptors $f, RSS $r KiB"
if settle; then
  read -r t f r <<<"$(snapshot)"
  echo "settled: threads $t, descriptors $f, RSS $r KiB"
else
  read -r t f r <<<"$(snapshot)"
  echo "FAIL: threads $t / descriptors $f not back at $T0 / $F0"; status=1
fi

echo "$IDLE idle connections"
python3 "$ROOT/bench/server/idle-clients.py" "$PORT" "$IDLE" 25 >"$WORK/idle.out" &
IDLE_PID=$!
for _ in $(seq 100); do
  grep -q '^opened [0-9]*$' "$WORK/idle.out" 2>/dev/null && break
  sleep 0.1
done
sleep 1
read -r t f r <<<"$(snapshot)"
echo "while idle: threads $t, descriptors $f"
[ "$t" -ge $((T0 + IDLE)) ] || { echo "FAIL: expected $IDLE connection threads"; status=1; }
wait "$IDLE_PID" || { echo "FAIL: idle connections not closed in time"; status=1; }
tail -1 "$WORK/idle.out"
if settle; then
  read -r t f r <<<"$(snapshot)"
  echo "after idle: threads $t, descriptors $f, RSS $r KiB"
else
  echo "FAIL: threads or descriptors not back after the idle connections"; status=1
fi
if [ "$r" -gt $((R0 + RSS_SLACK_KB)) ]; then
  echo "FAIL: RSS $r KiB, more than $RSS_SLACK_KB KiB above the start ($R0 KiB)"; status=1
fi
curl -fs -o /dev/null "${SERVE_BASE}bench/page.htm" || { echo "FAIL: no answer after the load"; status=1; }
[ $status -eq 0 ] && echo "load test passed"
exit $status
