#!/usr/bin/env bash
# Runs every fuzz target for a long time from its seed corpus.
#   fuzz/run-long.sh [SECONDS] [TARGET ...]     (default 600 seconds a target)
# Builds the targets with clang in build-fuzz/ when they are missing. What a
# target finds new is kept in fuzz-corpus/NAME/ (not committed), so the next
# long run goes on from there; crash, time-out and out-of-memory inputs land in
# fuzz-corpus/NAME-artifacts/. A crash does not end the run: libFuzzer's fork
# mode goes on and counts them. Prints one line per target with its runs and
# crashes, and exits 1 when any target crashed.
# FUZZ_PARALLEL=N runs N targets at a time (default 1).
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SECONDS_EACH=${1:-600}
shift || true
PARALLEL=${FUZZ_PARALLEL:-1}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in fuzz/*.cmake; do targets+=("$(basename "$f" .cmake)"); done
fi

need_build=0
for t in "${targets[@]}"; do [ -x "build-fuzz/bin/$t" ] || need_build=1; done
if [ "$need_build" = 1 ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGORA_GUI=OFF \
    -DPAGORA_TESTS=OFF -DPAGORA_BENCH=OFF -DPAGORA_FUZZ=ON >/dev/null || exit 2
  cmake --build build-fuzz -j"$(nproc 2>/dev/null || echo 2)" || exit 2
fi

mkdir -p fuzz-corpus
run_one() {  # run_one NAME: fuzzes one target, leaves its summary in fuzz-corpus/NAME.summary
  local name=$1
  local corpus="$ROOT/fuzz-corpus/$name" artifacts="$ROOT/fuzz-corpus/$name-artifacts"
  local log="$ROOT/fuzz-corpus/$name.log"
  mkdir -p "$corpus" "$artifacts"
  local seeds=()
  [ -d "$ROOT/fuzz/$name" ] && seeds=("$ROOT/fuzz/$name")
  # New inputs go to the first folder; the seeds are only read.
  "$ROOT/build-fuzz/bin/$name" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}" >"$log" 2>&1
  # Fork mode prints "#RUNS: cov: ... oom/timeout/crash: O/T/C time: ..." lines.
  local last runs crashes
  last=$(grep -E '^#[0-9]+: cov:' "$log" | tail -1)
  runs=$(sed -E 's/^#([0-9]+):.*/\1/' <<<"$last")
  crashes=$(sed -nE 's#.*oom/timeout/crash: ([0-9]+)/([0-9]+)/([0-9]+).*#oom \1, timeouts \2, crashes \3#p' <<<"$last")
  echo "$name: ${runs:-0} runs in ${SECONDS_EACH}s, ${crashes:-no stats (see $log)}, corpus $(ls "$corpus" | wc -l) files" \
    >"$ROOT/fuzz-corpus/$name.summary"
}

running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$PARALLEL" ]; then wait -n; running=$((running - 1)); fi
done
wait

status=0
for t in "${targets[@]}"; do
  cat "fuzz-corpus/$t.summary"
  if ! grep -q 'oom 0, timeouts 0, crashes 0' "fuzz-corpus/$t.summary"; then
    status=1
    ls "fuzz-corpus/$t-artifacts" | sed 's/^/    /'
  fi
done
exit $status
