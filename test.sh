#!/usr/bin/env bash
# Installs what is missing, checks that no source includes a higher layer,
# builds Pagora and runs every test:
#   1. the normal build (program, library, tools) and all unit and GUI tests;
#   2. the core tests under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the threaded server and archive tests under ThreadSanitizer;
#   4. every fuzz target for a short run from its seed corpus (clang, libFuzzer).
# Exits non-zero on the first failure. FUZZ_SECONDS sets the fuzzing time per
# target (default 10); SKIP_SANITIZERS=1 or SKIP_FUZZ=1 leave those stages out.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
JOBS=$(nproc 2>/dev/null || echo 2)
FUZZ_SECONDS=${FUZZ_SECONDS:-10}
export QTWEBENGINE_DISABLE_SANDBOX=1

scripts/install-deps

echo "== include layers"
scripts/check-layers

passed=0
failed=0
run_ctest() {  # run_ctest BUILD_DIR [ctest args...]: runs ctest, adds up its counts
  local dir=$1; shift
  local log
  log=$(mktemp)
  set +e
  (cd "$dir" && ctest --output-on-failure -j"$JOBS" --timeout 600 "$@") 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  set -e
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1 || true)
  if [ -n "$line" ]; then
    local f t
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + t - f)); failed=$((failed + f))
  fi
  rm -f "$log"
  if [ "$rc" -ne 0 ]; then
    echo "total: $passed passed, $((failed > 0 ? failed : 1)) failed"
    exit "$rc"
  fi
}

echo "== build (build/)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS"

echo "== tests"
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  # GUI tests that need a real X server (tray, drag and drop) get a private Xvfb.
  exec 5< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp -noreset 2>/dev/null & echo "pid $!")
  read -r _ XVFB_PID <&5
  trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT
  # An Xvfb that fails to start closes the pipe: run on without a display
  # (tests that need one report it) instead of ending the whole run here.
  if read -r XVFB_DISPLAY <&5 && [ -n "$XVFB_DISPLAY" ]; then
    export DISPLAY=":$XVFB_DISPLAY"
  else
    echo "test.sh: Xvfb did not start; tests needing X will fail" >&2
  fi
fi
run_ctest build

if [ "${SKIP_SANITIZERS:-0}" != 1 ]; then
  echo "== core tests under AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)"
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPAGORA_GUI=OFF -DPAGORA_BENCH=OFF \
        -DPAGORA_SANITIZE=address,undefined >/dev/null
  cmake --build build-asan -j"$JOBS"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest build-asan -LE slow

  echo "== threaded tests under ThreadSanitizer (build-tsan/)"
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DPAGORA_GUI=OFF -DPAGORA_BENCH=OFF \
        -DPAGORA_SANITIZE=thread >/dev/null
  cmake --build build-tsan -j"$JOBS"
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_ctest build-tsan -L tsan
fi

if [ "${SKIP_FUZZ:-0}" != 1 ]; then
  echo "== fuzz targets, ${FUZZ_SECONDS}s each (build-fuzz/)"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGORA_GUI=OFF \
        -DPAGORA_TESTS=OFF -DPAGORA_BENCH=OFF -DPAGORA_FUZZ=ON >/dev/null
  cmake --build build-fuzz -j"$JOBS"
  for f in "$ROOT"/fuzz/*.cmake; do
    [ -e "$f" ] || continue
    name=$(basename "$f" .cmake)
    corpus=$(mktemp -d)
    [ -d "$ROOT/fuzz/$name" ] && cp -r "$ROOT/fuzz/$name/." "$corpus/"
    echo "-- $name"
    if build-fuzz/bin/"$name" -max_total_time="$FUZZ_SECONDS" -print_final_stats=0 "$corpus" >"$corpus.log" 2>&1; then
      passed=$((passed + 1))
    else
      tail -40 "$corpus.log"
      failed=$((failed + 1))
      echo "total: $passed passed, $failed failed"
      exit 1
    fi
    rm -rf "$corpus" "$corpus.log"
  done
fi

echo "total: $passed passed, $failed failed"
