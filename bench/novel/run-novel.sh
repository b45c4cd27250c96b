#!/usr/bin/env bash
# Long novels in the reader beside the same converted page loaded from file://
# in a bare Qt WebEngine window (plain, and with the reader's layout hints).
# For 10, 50 and 200 MB: UTF-8 and GBK texts in a UTF-8 locale (how our
# readers read), and GBK in a GBK locale where one is installed:
#   first screen   open -> first table cell with text on screen
#   restore 80 %   start-up with a position saved 80 % into the book in the run before -> offset applied
#   cold 80 %      the same after the kept table heights were removed (a position from elsewhere)
#   complete       start-up with the text on the command line -> load finished
#                  (the bare window's figures count from its process start too)
#   peak memory    largest resident size of the program and its engine processes together
# A size is that of the novel in GBK; the UTF-8 file holds the same text
# (about 1.5 times the bytes). Each size ends with the GBK figures as ratios
# of the UTF-8 ones (same run).
# Usage: bench/novel/run-novel.sh [BUILD_DIR] [SIZES...]   (default sizes: 10 50 200)
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}; shift || true
SIZES=${*:-10 50 200}
BIN=$BUILD/bin
for b in Pagora Pagora_txt.so novel_baseline novel_html; do
  [ -e "$BIN/$b" ] || { echo "build $b first"; exit 1; }
done
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=offscreen
# The GBK-locale runs need that locale; without it they are left out.
CASES="utf-8 gbk"
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.gbk$' && [ "$(id -u)" = 0 ]; then
  localedef -i zh_CN -f GBK zh_CN.GBK 2>/dev/null || true
fi
if locale -a 2>/dev/null | grep -qi '^zh_CN\.gbk$'; then CASES="$CASES gbk@gbk"
else echo "note: no zh_CN.GBK locale (localedef -i zh_CN -f GBK zh_CN.GBK): GBK-locale runs left out"; fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp "$BIN/Pagora" "$BIN/Pagora_txt.so" "$WORK/"
LIMIT=300   # seconds per run

now_ms() { date +%s%3N; }
# Peak resident size (MiB) of a process and all its descendants, sampled every 200 ms.
tree_rss_kb() {
  local root=$1
  ps -e -o pid=,ppid=,rss= | awk -v root="$root" '
    { parent[$1]=$2; rss[$1]=$3 }
    END { for (p in parent) { q=p; while (q != "" && q > 1) { if (q == root) { sum += rss[p]; break } q = parent[q] } }
          print sum + 0 }'
}
# run_measured OUTFILE COMMAND...: runs the command, writes its output to OUTFILE,
# prints "<start ms> <peak MiB>".
run_measured() {
  local out=$1; shift
  local start peak=0 pid kb
  start=$(now_ms)
  timeout "$LIMIT" "$@" >"$out" 2>/dev/null &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    kb=$(tree_rss_kb "$pid"); [ "$kb" -gt "$peak" ] && peak=$kb
    sleep 0.2
  done
  wait "$pid" 2>/dev/null
  echo "$start $((peak / 1024))"
}
value() { grep -m1 "^$1: " "$2" | sed "s/^$1: //" | cut -d' ' -f1; }

reader() { "$WORK/Pagora" --no-message-boxes "$@"; }
fresh_ini() { printf '[ParaBlock]\nPARA_SAVE_RST=%s\n' "$1" > "$WORK/Pagora.ini"; }

make_novel() {  # make_novel FILE MB ENCODING: the same novel in every encoding, MB megabytes in GBK
  python3 - "$1" "$2" "$3" <<'PY'
import sys
path, mb, enc = sys.argv[1], int(sys.argv[2]), sys.argv[3]
line = "　　山间的小路弯弯曲曲，一直通到云里去。清早的雾还没有散，松树上挂着露水。第{}行。\n"
with open(path, "wb") as f:
    n, i = 0, 0
    while n < mb << 20:
        text = "".join(("第{}章\n".format(j // 300 + 1) if j % 300 == 0 else "") + line.format(j)
                       for j in range(i, i + 1000))
        f.write(text.encode(enc)); n += len(text.encode("gbk")); i += 1000
PY
}

printf '%-10s %8s %9s %8s %9s %8s | %8s %9s %8s %9s %8s\n' case first restore80 cold80 complete peakMiB \
  b-first b-compl b-MiB bh-compl bh-MiB
ratio() {  # ratio A B: A / B to two places, or "-"
  if [[ "$1" =~ ^[0-9]+$ && "$2" =~ ^[1-9][0-9]*$ ]]; then awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
  else echo -; fi
}
for mb in $SIZES; do
  declare -A F=() R=() C=()
  for case in $CASES; do
    enc=${case%@*}
    txt="$WORK/novel-$mb-$enc.txt"; html="$WORK/novel-$mb-$case.html"
    make_novel "$txt" "$mb" "$enc"
    LANGSET=(env LC_ALL=C.UTF-8 LANG=C.UTF-8)
    [ "$case" = gbk@gbk ] && LANGSET=(env LC_ALL=zh_CN.GBK LANG=zh_CN.GBK)
    "${LANGSET[@]}" "$BIN/novel_html" "$txt" "$html" || true
    "${LANGSET[@]}" "$BIN/novel_html" --hints "$txt" "${html%.html}-hints.html" || true

    # First screen.
    fresh_ini 0
    printf 'firstscreen %s\nclose\n' "$txt" > "$WORK/s1"
    read -r _ _ < <(run_measured "$WORK/o1" "${LANGSET[@]}" "$WORK/Pagora" --no-message-boxes --script "$WORK/s1")
    first=$(value FIRSTSCREEN "$WORK/o1")

    # Complete, with the text on the command line; peak memory of this run.
    fresh_ini 1
    echo close > "$WORK/s2"
    read -r start peak < <(run_measured "$WORK/o2" "${LANGSET[@]}" "$WORK/Pagora" --no-message-boxes \
                             --report-first-load --script "$WORK/s2" "$txt")
    done_at=$(value FIRSTLOAD "$WORK/o2"); complete=${done_at:+$((done_at - start))}

    # Save a position 80 % into the book, then start again without arguments.
    printf 'eval window.scrollTo(0, Math.round((document.scrollingElement.scrollHeight - innerHeight) * 0.8)); "ok"\nsleep 300\nscroll\nclose\n' > "$WORK/s3"
    run_measured "$WORK/o3" "${LANGSET[@]}" "$WORK/Pagora" --no-message-boxes --script "$WORK/s3" "$txt" >/dev/null
    printf 'restored\nclose\n' > "$WORK/s4"
    read -r start _ < <(run_measured "$WORK/o4" "${LANGSET[@]}" "$WORK/Pagora" --no-message-boxes --script "$WORK/s4")
    at=$(value RESTORED "$WORK/o4"); restore=${at:+$((at - start))}
    # The same position without the table heights kept by the run before.
    rm -rf "$WORK/TextLayout"
    read -r start _ < <(run_measured "$WORK/o4c" "${LANGSET[@]}" "$WORK/Pagora" --no-message-boxes --script "$WORK/s4")
    at=$(value RESTORED "$WORK/o4c"); cold=${at:+$((at - start))}

    # The same page from file:// in a bare window.
    read -r start bpeak < <(run_measured "$WORK/o5" "${LANGSET[@]}" "$BIN/novel_baseline" "$html")
    bfirst=$(value FIRSTSCREEN "$WORK/o5"); at=$(value COMPLETE_AT "$WORK/o5"); bcomplete=${at:+$((at - start))}
    grep -q '^CRASHED' "$WORK/o5" && bcomplete="crashed"

    read -r start hpeak < <(run_measured "$WORK/o6" "${LANGSET[@]}" "$BIN/novel_baseline" "${html%.html}-hints.html")
    at=$(value COMPLETE_AT "$WORK/o6"); hcomplete=${at:+$((at - start))}
    grep -q '^CRASHED' "$WORK/o6" && hcomplete="crashed"

    printf '%-10s %8s %9s %8s %9s %8s | %8s %9s %8s %9s %8s\n' "$mb-$case" "${first:-none}" "${restore:-none}" \
      "${cold:-none}" "${complete:-none}" "$peak" "${bfirst:-none}" "${bcomplete:-none}" "$bpeak" \
      "${hcomplete:-none}" "$hpeak"
    F[$case]=${first:-}; R[$case]=${restore:-}; C[$case]=${complete:-}
    rm -f "$txt" "$html" "${html%.html}-hints.html"
  done
  for case in $CASES; do
    [ "$case" = utf-8 ] && continue
    printf '%-10s first %s  restore80 %s  complete %s  (x the UTF-8 text)\n' "$mb-$case" \
      "$(ratio "${F[$case]}" "${F[utf-8]}")" "$(ratio "${R[$case]}" "${R[utf-8]}")" "$(ratio "${C[$case]}" "${C[utf-8]}")"
  done
  unset F R C
done
