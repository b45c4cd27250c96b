#!/usr/bin/env bash
# Start-up benchmark, in one run and alternating:
#   reader:   process start -> first archive page (samples/lighthouse.zip) loaded
#   baseline: process start -> the same page, unpacked, loaded from disk by a
#             minimal Qt WebEngine program
# and the first screen of a 50 MB text file in the reader.
# Usage: bench/startup/run-startup.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
ROUNDS=${2:-5}
BIN=$BUILD/bin
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=offscreen
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# A private copy of the reader so its settings stay in the work folder.
cp "$BIN/Pagora" "$BIN/Pagora_txt.so" "$WORK/"
mkdir -p "$WORK/unpacked"
(cd "$WORK/unpacked" && unzip -q "$ROOT/samples/lighthouse.zip")
echo "[ParaBlock]" > "$WORK/Pagora.ini"; echo "PARA_SAVE_RST=0" >> "$WORK/Pagora.ini"

now_ms() { date +%s%3N; }
measure() {  # measure COMMAND...: milliseconds from launch to FIRSTLOAD
  local start line
  start=$(now_ms)
  line=$("$@" 2>/dev/null | grep -m1 '^FIRSTLOAD: ' || true)
  [ -n "$line" ] || { echo "no load"; return; }
  echo $(( ${line#FIRSTLOAD: } - start ))
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

echo 'close' > "$WORK/close.txt"
reader=(); base=()
for i in $(seq "$ROUNDS"); do
  reader+=("$(measure "$WORK/Pagora" --no-message-boxes --report-first-load --script "$WORK/close.txt" \
                    "$ROOT/samples/lighthouse.zip")")
  base+=("$(measure "$BIN/startup_baseline" "$WORK/unpacked/index.htm")")
done
r=$(printf '%s\n' "${reader[@]}" | median)
b=$(printf '%s\n' "${base[@]}" | median)
echo "reader   first archive page: ${reader[*]} ms (median $r)"
echo "baseline same page on disk:  ${base[*]} ms (median $b)"
awk -v r="$r" -v b="$b" 'BEGIN { printf "ratio: %.2f (goal <= 1.2)\n", r / b }'

# 50 MB of Chinese text: the first screen must show long before the whole
# page has loaded, because the filter streams.
python3 - "$WORK/big.txt" <<'PY'
import sys
line = "　　山间的小路弯弯曲曲，一直通到云里去。清早的雾还没有散，松树上挂着露水。The quick brown fox.\n"
data = line.encode("utf-8")
with open(sys.argv[1], "wb") as f:
    n = 0
    while n < 50 * 1024 * 1024:
        f.write(data); n += len(data)
PY
printf 'firstscreen %s\nclose\n' "$WORK/big.txt" > "$WORK/big-script.txt"
shot=$("$WORK/Pagora" --no-message-boxes --script "$WORK/big-script.txt" 2>/dev/null | grep -m1 '^FIRSTSCREEN: ' || true)
echo "50 MB text first screen: ${shot#FIRSTSCREEN: } ms (goal < 2000)"
