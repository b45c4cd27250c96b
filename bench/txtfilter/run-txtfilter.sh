#!/usr/bin/env bash
# Converts 200 MB texts (English ASCII in a UTF-8 locale, GBK in a GBK locale,
# UTF-16 in a UTF-8 locale) through the text filter, reading as it goes, and
# compares the throughput with Python's html.escape over the same file.
#   bench/txtfilter/run-txtfilter.sh [BUILD_DIR]     (default: build)
# Throughput is given per CPU second and per wall second: on a shared machine
# the CPU figure is the one that does not depend on the other load.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${1:-build}
BENCH=$BUILD/bin/txtfilter_bench
[ -x "$BENCH" ] || { echo "build $BENCH first (cmake --build $BUILD --target txtfilter_bench)"; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

mkdir -p "$WORK/locale"
localedef -i zh_CN -f GBK "$WORK/locale/zh_CN.GBK" 2>/dev/null || true

python3 - "$WORK" <<'PY'
import sys
work = sys.argv[1]
size = 200 << 20
prose = ('The reader opened the book at the page she had left, and the rain went on '
         'outside the window; "one more chapter," she said, <quietly> & smiled.\r\n'
         '\tA new paragraph starts here, with  two blanks and a few more words to read.\r\n')
chinese = '第一章 <开始>\r\n\t她打开书，翻到上次读到的那一页，窗外的雨还在下；“再读一章，”她说，然后笑了 & 继续读下去。\r\n'
def fill(unit, n):
    reps = n // len(unit) + 1
    return (unit * reps)[:n]
open(f'{work}/english.txt', 'wb').write(fill(prose.encode('ascii'), size))
open(f'{work}/gbk.txt', 'wb').write(fill(chinese.encode('gbk'), size))
u = chinese.encode('utf-16-le')
open(f'{work}/utf16.txt', 'wb').write(b'\xff\xfe' + fill(u, size - 2))
PY

run_filter() {  # run_filter FILE LOCALE -> "cpu_MBps wall_MBps maxrss_MiB html_ratio"
  local file=$1 loc=$2
  LOCPATH="$WORK/locale" LC_ALL=$loc PAGORA_BENCH_FILE=$file /usr/bin/time -f '%M' -o "$WORK/rss" \
    "$BENCH" --benchmark_filter=BM_FilterFile --benchmark_format=json --benchmark_min_time=2 > "$WORK/out.json"
  python3 - "$WORK/out.json" "$WORK/rss" <<'PY'
import json, sys
b = json.load(open(sys.argv[1]))['benchmarks'][0]
if b.get('error_occurred'):
    print('error', b.get('error_message')); sys.exit(0)
bps = b['bytes_per_second']
wall = bps / 1e6
cpu = wall * b['real_time'] / b['cpu_time']
rss = int(open(sys.argv[2]).read().split()[-1]) / 1024
print(f"{cpu:.0f} {wall:.0f} {rss:.1f} {b['html_per_text']:.3f}")
PY
}

run_python() {  # run_python FILE ENCODING -> "cpu_MBps"
  python3 - "$1" "$2" <<'PY'
import html, sys, time
data = open(sys.argv[1], 'rb').read()
text = data.decode(sys.argv[2], errors='replace')
t = time.process_time()
out = html.escape(text)
t = time.process_time() - t
print(f"{len(data) / t / 1e6:.0f}")
PY
}

printf '%-28s %12s %12s %10s %10s %14s %8s\n' "text (200 MiB)" "filter CPU" "filter wall" "peak RSS" "HTML/text" "html.escape" "ratio"
for row in "english.txt C.UTF-8 ascii" "gbk.txt zh_CN.GBK gbk" "utf16.txt C.UTF-8 utf-16"; do
  set -- $row
  read -r cpu wall rss ratio < <(run_filter "$WORK/$1" "$2")
  py=$(run_python "$WORK/$1" "$3")
  printf '%-28s %9s MB/s %9s MB/s %7s MiB %10s %9s MB/s %7.1fx\n' "$1 ($2)" "$cpu" "$wall" "$rss" "$ratio" "$py" \
    "$(python3 -c "print($cpu/$py)")"
done
