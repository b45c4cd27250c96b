#!/usr/bin/env python3
"""Writes the benchmark archive and the same files unpacked.

make-bench-archive.py DIR  ->  DIR/book.zip (10 000 entries, among them
bench/page.htm of 10 KB and bench/pic.jpg of 1 MB) and DIR/www/bench/ with
those two files unpacked, for the comparison server.
"""
import os
import random
import sys
import zipfile

def main():
    out = sys.argv[1]
    rnd = random.Random(1234)
    words = ["lorem", "ipsum", "dolor", "sit", "amet", "chapter", "reader", "page", "book", "night"]
    text = []
    size = 0
    while size < 10 * 1024 - 200:
        w = rnd.choice(words)
        text.append(w)
        size += len(w) + 1
    page = ("<html><head><title>Bench</title></head><body><p>" + " ".join(text) + "</p></body></html>\n").encode()
    page = page[:10 * 1024 - 15] + b"</p></html>\n" if len(page) > 10 * 1024 else page.ljust(10 * 1024, b" ")
    pic = bytes(rnd.getrandbits(8) for _ in range(1024 * 1024))

    os.makedirs(os.path.join(out, "www", "bench"), exist_ok=True)
    with open(os.path.join(out, "www", "bench", "page.htm"), "wb") as f:
        f.write(page)
    with open(os.path.join(out, "www", "bench", "pic.jpg"), "wb") as f:
        f.write(pic)

    with zipfile.ZipFile(os.path.join(out, "book.zip"), "w") as z:
        z.writestr(zipfile.ZipInfo("bench/index.htm"), b"<html><a href='page.htm'>page</a></html>", zipfile.ZIP_DEFLATED)
        z.writestr(zipfile.ZipInfo("bench/page.htm"), page, zipfile.ZIP_DEFLATED)
        z.writestr(zipfile.ZipInfo("bench/pic.jpg"), pic, zipfile.ZIP_STORED)
        for i in range(10000 - 3):
            body = ("<html><body><h1>Chapter %d</h1><p>%s</p></body></html>" % (i, " ".join(rnd.choice(words) for _ in range(40)))).encode()
            z.writestr(zipfile.ZipInfo("chapters/part%02d/ch%05d.htm" % (i // 500, i)), body, zipfile.ZIP_DEFLATED)

if __name__ == "__main__":
    main()
