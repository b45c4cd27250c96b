#!/usr/bin/env python3
"""idle-clients.py PORT COUNT LIMIT_SECONDS: opens COUNT connections to
127.0.0.1:PORT that send nothing, then waits (at most LIMIT_SECONDS) until
the server has closed every one. Prints "opened N closed M after S s" and
exits 1 unless all were closed."""
import selectors
import socket
import sys
import time

port, count, limit = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])
sel = selectors.DefaultSelector()
socks = []
for _ in range(count):
    s = socket.create_connection(("127.0.0.1", port))
    s.setblocking(False)
    sel.register(s, selectors.EVENT_READ)
    socks.append(s)
start = time.monotonic()
print("opened", len(socks), flush=True)
open_left = len(socks)
last = 0.0
while open_left and time.monotonic() - start < limit:
    for key, _ in sel.select(timeout=0.5):
        try:
            data = key.fileobj.recv(4096)
        except (ConnectionResetError, BlockingIOError):
            data = b""
        if data == b"":
            sel.unregister(key.fileobj)
            key.fileobj.close()
            open_left -= 1
            last = time.monotonic() - start
print("opened %d closed %d after %.1f s" % (count, count - open_left, last), flush=True)
sys.exit(0 if open_left == 0 else 1)
