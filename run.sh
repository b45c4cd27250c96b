#!/usr/bin/env bash
# Installs what is missing, builds the reader and opens the bundled sample
# book in it. Without a display the reader runs under Xvfb, saves a
# screenshot of its window once the first page has loaded, prints the
# screenshot's path and exits.
#   ./run.sh [document]      (default: samples/lighthouse.zip)
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
export QTWEBENGINE_DISABLE_SANDBOX=1

scripts/install-deps
samples/make-samples.sh >/dev/null

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target Pagora Pagora_txt

DOC=${1:-$ROOT/samples/lighthouse.zip}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/Pagora "$DOC"
fi

SHOT=${PAGORA_SCREENSHOT:-$ROOT/build/screenshot.png}
rm -f "$SHOT"
xvfb-run -a -s "-screen 0 1280x800x24" \
  build/bin/Pagora --no-message-boxes --screenshot "$SHOT" "$DOC" 2>/dev/null | grep -v '^SCREENSHOT:' || true
if [ ! -s "$SHOT" ]; then
  echo "run.sh: the reader did not produce a screenshot" >&2
  exit 1
fi
echo "$SHOT"
