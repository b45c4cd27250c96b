#!/usr/bin/env python3
"""Writes gbk-book.zip: a small saved site zipped as on Chinese Windows.

The pages are GBK text, and the entry names are stored as GBK bytes without
the UTF-8 flag. Python's zipfile stores non-ASCII names as UTF-8 with the
flag, so each name is first written as an ASCII placeholder of the same byte
length, and the placeholder's bytes are then replaced by the GBK name in the
local header and in the central directory.
"""
import os
import sys
import zipfile

STYLE = "body { background: #f6f3ea; line-height: 1.8; max-width: 700px; margin: 24px auto; }\n"

PAGES = {
    "index.htm": ("竹林小记", """<h1>竹林小记</h1>
<p>山中几篇小记，存为网页，打包带走。</p>
<ul>
<li><a href="第一章.htm" id="link-ch1">第一章　入山</a></li>
<li><a href="第二章.htm" id="link-ch2">第二章　听雨</a></li>
<li><a href="附录/后记.htm" id="link-after">后记</a></li>
</ul>"""),
    "第一章.htm": ("第一章　入山", """<h1 id="chapter">第一章　入山</h1>
<p>清晨进山，竹叶上还挂着露水。</p>
<p><a href="第二章.htm" id="next">下一章</a>　<a href="index.htm">目录</a></p>"""),
    "第二章.htm": ("第二章　听雨", """<h1 id="chapter">第二章　听雨</h1>
<p>午后落雨，檐下听了一个时辰。</p>
<p><a href="第一章.htm" id="prev">上一章</a>　<a href="index.htm">目录</a></p>"""),
    "附录/后记.htm": ("后记", """<h1 id="chapter">后记</h1>
<p>记于竹林旁的小屋。</p>
<p><a href="../index.htm">目录</a></p>"""),
}


def page(title, body):
    return ("<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">\n"
            "<title>%s</title>\n<link rel=\"stylesheet\" href=\"样式.css\">\n</head>\n<body>\n%s\n</body>\n</html>\n"
            % (title, body)).encode("gbk")


def main(out):
    files = [(name, page(*content)) for name, content in PAGES.items()]
    # The style sheet lies at the top; the page in the folder reaches it too.
    files.append(("样式.css", STYLE.encode("gbk")))
    files[3] = (files[3][0], files[3][1].replace("样式.css".encode("gbk"), "../样式.css".encode("gbk")))

    placeholders = {}
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for i, (name, data) in enumerate(files):
            stored = name.encode("gbk")
            holder = ("~%d" % i).encode().ljust(len(stored), b"_")
            if stored != holder and stored.isascii():
                holder = stored
            placeholders[holder] = stored
            info = zipfile.ZipInfo(holder.decode("ascii"), date_time=(2008, 8, 8, 8, 8, 8))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS, as Windows zippers write
            z.writestr(info, data)

    raw = bytearray(open(out, "rb").read())
    for holder, stored in placeholders.items():
        if holder == stored:
            continue
        # Names follow the fixed part of each header: 30 bytes locally, 46 in
        # the central directory. Exactly two places carry each placeholder.
        found = 0
        for signature, fixed in ((b"PK\x03\x04", 30), (b"PK\x01\x02", 46)):
            at = raw.find(signature)
            while at >= 0:
                start = at + fixed
                if raw[start:start + len(holder)] == holder:
                    raw[start:start + len(holder)] = stored
                    found += 1
                at = raw.find(signature, at + 4)
        if found != 2:
            sys.exit("placeholder %r found %d times" % (holder, found))
    open(out, "wb").write(bytes(raw))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__) or ".", "gbk-book.zip"))
