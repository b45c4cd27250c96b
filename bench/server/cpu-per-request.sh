#!/usr/bin/env bash
# CPU time per request of a running server process, which is far steadier
# than requests per second on a shared, loaded machine.
#   bench/server/cpu-per-request.sh PID URL [SECONDS] [CONNECTIONS]
# Prints: requests, CPU seconds of PID, microseconds of CPU per request.
set -euo pipefail
PID=$1 URL=$2 SECS=${3:-5} CONNS=${4:-50}
ticks() { awk '{print $14 + $15}' "/proc/$PID/stat"; }
HZ=$(getconf CLK_TCK)
before=$(ticks)
out=$(wrk -t2 -c"$CONNS" -d"${SECS}s" --timeout 10s "$URL")
after=$(ticks)
requests=$(awk '/requests in/ {print $1}' <<<"$out")
awk -v r="$requests" -v t=$((after - before)) -v hz="$HZ" 'BEGIN {
  cpu = t / hz; printf "%d requests, %.2f s CPU, %.1f us CPU per request\n", r, cpu, r ? cpu * 1e6 / r : 0 }'
