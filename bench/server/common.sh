# Shared by the server benchmark scripts: tools, the archive, pagora-serve.
# Loopback addresses only; every wait is bounded.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BIN=${PAGORA_BIN:-$ROOT/build/bin}

need_tools() {  # installs the named Debian packages when their command is missing
  local missing=()
  for t in "$@"; do
    command -v "$t" >/dev/null || missing+=("$t")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null 2>&1 ||
    { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; }
}

make_archive() {  # make_archive DIR: DIR/book.zip and DIR/www/ (once per folder)
  [ -f "$1/book.zip" ] || python3 "$ROOT/bench/server/make-bench-archive.py" "$1"
}

SERVE_PID=""
start_serve() {  # start_serve ARCHIVE: sets SERVE_PID, SERVE_BASE (ending in '/')
  local out="$WORK/serve.out"
  # A start address left by an earlier run must not be taken for this one's.
  rm -f "$out"
  "$BIN/pagora-serve" "$1" >"$out" 2>"$WORK/serve.err" &
  SERVE_PID=$!
  for _ in $(seq 100); do
    [ -s "$out" ] && break
    sleep 0.1
  done
  local address
  address=$(head -1 "$out")
  [ -n "$address" ] || { echo "pagora-serve did not start:"; cat "$WORK/serve.err"; exit 1; }
  SERVE_BASE=$(sed -E 's#^(http://127\.0\.0\.1:[0-9]+/).*#\1#' <<<"$address")
}

stop_serve() {
  [ -n "$SERVE_PID" ] || return 0
  kill -TERM "$SERVE_PID" 2>/dev/null || true
  for _ in $(seq 50); do
    kill -0 "$SERVE_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$SERVE_PID" 2>/dev/null || true
  wait "$SERVE_PID" 2>/dev/null || true
  SERVE_PID=""
}

free_port() {  # a free loopback port from the kernel
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}
