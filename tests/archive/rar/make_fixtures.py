#!/usr/bin/env python3
"""Writes the RAR test archives of this folder.

No Debian package writes RAR files, so the archives are built here from the
public description of the RAR 4.x block format and of the RAR 5 format.
Every entry is stored (method "store"), which is enough to exercise listing,
volumes, names, flags and CRC checks; the readers are the real libraries.

Usage: make_fixtures.py [output folder]   (default: fixtures/ beside this file)
"""
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------- RAR 4.x

RAR4_MARK = b"Rar!\x1a\x07\x00"

MHD_VOLUME = 0x0001
MHD_SOLID = 0x0008
MHD_NEWNUMBERING = 0x0010
MHD_PASSWORD = 0x0080
MHD_FIRSTVOLUME = 0x0100

LHD_SPLIT_BEFORE = 0x01
LHD_SPLIT_AFTER = 0x02
LHD_PASSWORD = 0x04
LHD_SOLID = 0x10
LHD_DIRECTORY = 0xE0
LHD_LARGE = 0x100
LHD_UNICODE = 0x200
LHD_SALT = 0x400
LONG_BLOCK = 0x8000

EARC_NEXT_VOLUME = 0x0001
EARC_VOLNUMBER = 0x0008


def crc32(data):
    return zlib.crc32(data) & 0xFFFFFFFF


def block4(head_type, flags, body, add_size=None):
    """One RAR 4 block header: HEAD_CRC, HEAD_TYPE, HEAD_FLAGS, HEAD_SIZE, body."""
    if add_size is not None:
        flags |= LONG_BLOCK
    size = 7 + len(body)
    rest = struct.pack("<BHH", head_type, flags, size) + body
    return struct.pack("<H", crc32(rest) & 0xFFFF) + rest


def main_header4(flags):
    return block4(0x73, flags, struct.pack("<HI", 0, 0))


def end_header4(flags=0):
    return block4(0x7B, flags, b"")


def encode_unicode_name(name):
    """The compressed Unicode name of a file header: high byte 0, then every
    character as a full 16-bit value (flag pair 2), four per flag byte."""
    out = bytearray([0])
    units = name.encode("utf-16-le")
    chars = [units[i:i + 2] for i in range(0, len(units), 2)]
    for i in range(0, len(chars), 4):
        group = chars[i:i + 4]
        out.append(0xAA)
        for c in group:
            out += c
    return bytes(out)


def file_header4(name_bytes, data_crc, packed, unpacked, flags=0, method=0x30,
                 large=False, salt=None, attr=0x20):
    """A RAR 4 file header for an entry whose (packed) data follows."""
    if large:
        flags |= LHD_LARGE
    if salt is not None:
        flags |= LHD_SALT
    body = struct.pack("<IIBIIBBHI", packed & 0xFFFFFFFF, unpacked & 0xFFFFFFFF,
                       2, data_crc, 0x5A6B0000, 29, method, len(name_bytes), attr)
    if large:
        body += struct.pack("<II", packed >> 32, unpacked >> 32)
    body += name_bytes
    if salt is not None:
        body += salt
    return block4(0x74, flags, body, add_size=packed)


class Rar4Entry:
    def __init__(self, name, data=b"", is_dir=False, encoding="ascii",
                 unicode=False, encrypted=False):
        self.name = name
        self.data = data
        self.is_dir = is_dir
        self.encoding = encoding
        self.unicode = unicode
        self.encrypted = encrypted

    def name_bytes(self):
        ansi = self.name.encode(self.encoding, errors="replace")
        if self.unicode:
            return ansi + b"\x00" + encode_unicode_name(self.name)
        return ansi

    def flags(self):
        f = 0
        if self.is_dir:
            f |= LHD_DIRECTORY
        if self.unicode:
            f |= LHD_UNICODE
        if self.encrypted:
            f |= LHD_PASSWORD
        return f


def rar4_archive(entries, solid=False):
    out = bytearray(RAR4_MARK)
    out += main_header4(MHD_SOLID if solid else 0)
    for i, e in enumerate(entries):
        flags = e.flags()
        if solid and i > 0 and not e.is_dir:
            flags |= LHD_SOLID
        data = e.data
        salt = None
        if e.encrypted:
            # Encrypted data is padded to the cipher's 16-byte blocks; the
            # bytes themselves are of no use to a reader without the key.
            salt = b"SALTSALT"
            data = bytes((b ^ 0x5C) for b in data) + b"\x00" * (-len(data) % 16)
        out += file_header4(e.name_bytes(), crc32(e.data), len(data), len(e.data),
                            flags=flags, salt=salt, attr=0x10 if e.is_dir else 0x20)
        out += data
    out += end_header4()
    return bytes(out)


def rar4_volumes(entries, split_at, new_numbering=True, solid=False):
    """Two volumes: entries[:split_at] and the first half of entries[split_at]
    go into the first volume, the rest into the second."""
    flags = MHD_VOLUME | (MHD_NEWNUMBERING if new_numbering else 0) | (MHD_SOLID if solid else 0)
    vols = []
    first = bytearray(RAR4_MARK) + main_header4(flags | MHD_FIRSTVOLUME)
    second = bytearray(RAR4_MARK) + main_header4(flags)

    def solid_flag(i):
        return LHD_SOLID if solid and i > 0 else 0

    for i, e in enumerate(entries[:split_at]):
        first += file_header4(e.name_bytes(), crc32(e.data), len(e.data), len(e.data),
                              flags=e.flags() | solid_flag(i))
        first += e.data
    split = entries[split_at]
    half = len(split.data) // 2
    a, b = split.data[:half], split.data[half:]
    # A part that is not the last carries the CRC of its own packed bytes; the
    # last part carries the CRC of the whole file.
    first += file_header4(split.name_bytes(), crc32(a), len(a), len(split.data),
                          flags=split.flags() | LHD_SPLIT_AFTER | solid_flag(split_at))
    first += a
    first += end_header4(EARC_NEXT_VOLUME)
    second += file_header4(split.name_bytes(), crc32(split.data), len(b), len(split.data),
                           flags=split.flags() | LHD_SPLIT_BEFORE | solid_flag(split_at))
    second += b
    for j, e in enumerate(entries[split_at + 1:]):
        second += file_header4(e.name_bytes(), crc32(e.data), len(e.data), len(e.data),
                               flags=e.flags() | solid_flag(split_at + 1 + j))
        second += e.data
    second += end_header4()
    vols.append(bytes(first))
    vols.append(bytes(second))
    return vols


def rar4_split_set(first_files, split, tail, new_numbering=True):
    """Two volumes as a writer that cuts at a volume size leaves them:
    `first_files` whole in the first volume, then the first `len(split.data)
    - tail` bytes of `split`, the rest of it (`tail` bytes) alone in the
    second volume. The piece in the first volume carries the CRC of its own
    bytes, the last piece the CRC of the whole file; both give the whole
    file's unpacked size. The end blocks give the volume number, the first
    one also says that the set goes on."""
    flags = MHD_VOLUME | (MHD_NEWNUMBERING if new_numbering else 0)
    first = bytearray(RAR4_MARK) + main_header4(flags | MHD_FIRSTVOLUME)
    second = bytearray(RAR4_MARK) + main_header4(flags)
    for e in first_files:
        first += file_header4(e.name_bytes(), crc32(e.data), len(e.data), len(e.data), flags=e.flags())
        first += e.data
    cut = len(split.data) - tail
    a, b = split.data[:cut], split.data[cut:]
    first += file_header4(split.name_bytes(), crc32(a), len(a), len(split.data),
                          flags=split.flags() | LHD_SPLIT_AFTER) + a
    first += block4(0x7B, EARC_NEXT_VOLUME | EARC_VOLNUMBER, struct.pack("<H", 0))
    second += file_header4(split.name_bytes(), crc32(split.data), len(b), len(split.data),
                           flags=split.flags() | LHD_SPLIT_BEFORE) + b
    second += block4(0x7B, EARC_VOLNUMBER, struct.pack("<H", 1))
    return [bytes(first), bytes(second)]


def rar4_encrypted_headers():
    out = bytearray(RAR4_MARK)
    out += main_header4(MHD_PASSWORD)
    # Everything after the archive header is salt plus encrypted blocks.
    out += b"SALTSALT" + bytes((i * 37 + 11) & 0xFF for i in range(96))
    return bytes(out)

# ---------------------------------------------------------------- RAR 5

RAR5_MARK = b"Rar!\x1a\x07\x01\x00"

HFL_EXTRA = 0x0001
HFL_DATA = 0x0002
HFL_SPLITBEFORE = 0x0008
HFL_SPLITAFTER = 0x0010

MHFL_VOLUME = 0x0001
MHFL_VOLNUMBER = 0x0002
MHFL_SOLID = 0x0004

FHFL_DIRECTORY = 0x0001
FHFL_UTIME = 0x0002
FHFL_CRC32 = 0x0004
FHFL_UNKNOWN_SIZE = 0x0008

FCI_SOLID = 0x0040


def vint(n):
    out = bytearray()
    while True:
        b = n & 0x7F
        n >>= 7
        if n:
            out.append(b | 0x80)
        else:
            out.append(b)
            return bytes(out)


def block5(head_type, head_flags, fields, extra=b"", data_size=None):
    """One RAR 5 header: CRC32, header size, then type, flags, optional extra
    and data sizes, the type's fields and the extra area."""
    if extra:
        head_flags |= HFL_EXTRA
    if data_size is not None:
        head_flags |= HFL_DATA
    body = vint(head_type) + vint(head_flags)
    if extra:
        body += vint(len(extra))
    if data_size is not None:
        body += vint(data_size)
    body += fields + extra
    sized = vint(len(body)) + body
    return struct.pack("<I", crc32(sized)) + sized


def main_header5(flags, volume_number=None):
    fields = vint(flags | (MHFL_VOLNUMBER if volume_number is not None else 0))
    if volume_number is not None:
        fields += vint(volume_number)
    return block5(1, 0, fields)


def end_header5(not_last=False):
    return block5(5, 0, vint(1 if not_last else 0))


def file_header5(name, data, unpacked, crc, is_dir=False, head_flags=0,
                 solid=False, encrypted=False, unknown_size=False):
    flags = FHFL_CRC32 | (FHFL_DIRECTORY if is_dir else 0) | (FHFL_UNKNOWN_SIZE if unknown_size else 0)
    comp = FCI_SOLID if solid else 0  # method 0: store
    name_b = name.encode("utf-8")
    fields = vint(flags) + vint(unpacked) + vint(0x20 if not is_dir else 0x10)
    fields += struct.pack("<I", crc)
    fields += vint(comp) + vint(0) + vint(len(name_b)) + name_b
    extra = b""
    if encrypted:
        # File encryption record: version 0 (AES-256), flags 0, KDF count 15,
        # 16-byte salt, 16-byte IV.
        rec = vint(0x01) + vint(0) + vint(0) + bytes([15]) + b"S" * 16 + b"I" * 16
        extra = vint(len(rec)) + rec
    return block5(2, head_flags, fields, extra=extra, data_size=len(data)) + data


class Rar5Entry:
    def __init__(self, name, data=b"", is_dir=False, encrypted=False):
        self.name = name
        self.data = data
        self.is_dir = is_dir
        self.encrypted = encrypted


def rar5_archive(entries, solid=False):
    """A solid archive sets the archive flag only: stored files never depend
    on earlier ones, so their own solid bit stays clear."""
    out = bytearray(RAR5_MARK)
    out += main_header5(MHFL_SOLID if solid else 0)
    for e in entries:
        data = e.data
        if e.encrypted:
            data = bytes((b ^ 0xA5) for b in data) + b"\x00" * (-len(data) % 16)
        out += file_header5(e.name, data, len(e.data), crc32(e.data), is_dir=e.is_dir,
                            encrypted=e.encrypted)
    out += end_header5()
    return bytes(out)


def rar5_volumes(entries, split_at, solid=False):
    flags = MHFL_VOLUME | (MHFL_SOLID if solid else 0)
    first = bytearray(RAR5_MARK) + main_header5(flags)
    second = bytearray(RAR5_MARK) + main_header5(flags, volume_number=1)
    for e in entries[:split_at]:
        first += file_header5(e.name, e.data, len(e.data), crc32(e.data), is_dir=e.is_dir)
    split = entries[split_at]
    half = len(split.data) // 2
    a, b = split.data[:half], split.data[half:]
    first += file_header5(split.name, a, len(split.data), crc32(a), head_flags=HFL_SPLITAFTER)
    first += end_header5(not_last=True)
    second += file_header5(split.name, b, len(split.data), crc32(split.data),
                           head_flags=HFL_SPLITBEFORE)
    for e in entries[split_at + 1:]:
        second += file_header5(e.name, e.data, len(e.data), crc32(e.data), is_dir=e.is_dir)
    second += end_header5()
    return [bytes(first), bytes(second)]


def rar5_split_set(first_files, split, tail, unknown_size=False, solid=False):
    """The RAR 5 form of rar4_split_set. With `unknown_size` the first piece
    says that the unpacked size was not known when it was written (as when
    archiving from a stream) and gives 0; the last piece gives the size. A
    solid set keeps the solid flag in the archive headers only, as
    rar5_archive does."""
    flags = MHFL_VOLUME | (MHFL_SOLID if solid else 0)
    first = bytearray(RAR5_MARK) + main_header5(flags)
    second = bytearray(RAR5_MARK) + main_header5(flags, volume_number=1)
    for e in first_files:
        first += file_header5(e.name, e.data, len(e.data), crc32(e.data), is_dir=e.is_dir)
    cut = len(split.data) - tail
    a, b = split.data[:cut], split.data[cut:]
    first += file_header5(split.name, a, 0 if unknown_size else len(split.data), crc32(a),
                          head_flags=HFL_SPLITAFTER, unknown_size=unknown_size)
    first += end_header5(not_last=True)
    second += file_header5(split.name, b, len(split.data), crc32(split.data), head_flags=HFL_SPLITBEFORE)
    second += end_header5()
    return [bytes(first), bytes(second)]


def rar5_encrypted_headers():
    out = bytearray(RAR5_MARK)
    # Archive encryption header: version 0, flags 1 (password check present),
    # KDF count 15, salt, check value; everything after it is encrypted.
    fields = vint(0) + vint(1) + bytes([15]) + b"S" * 16 + b"C" * 12
    out += block5(4, 0, fields)
    out += bytes((i * 53 + 7) & 0xFF for i in range(128))
    return bytes(out)

# ---------------------------------------------------------------- contents


def page(title, body):
    return ("<html><head><title>%s</title></head><body>%s</body></html>\r\n"
            % (title, body)).encode("ascii")


def long_text(seed, size):
    line = ("line %d of a page that is long enough to be split; " % seed).encode("ascii")
    return (line * (size // len(line) + 1))[:size]


BASIC = [
    ("book", None),
    ("book\\ch1.htm", page("Chapter 1", "first chapter")),
    ("book\\ch2.htm", page("Chapter 2", "second chapter")),
    ("index.htm", page("Index", '<a href="book/ch1.htm">1</a>')),
    ("empty.htm", b""),
    ("pic.gif", b"GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00;"),
    ("notes.txt", b"plain text notes\r\nsecond line\r\n"),
]


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "fixtures")
    os.makedirs(folder, exist_ok=True)

    basic4 = [Rar4Entry(n, d or b"", is_dir=d is None) for n, d in BASIC]
    write(folder, "basic.rar", rar4_archive(basic4))
    write(folder, "solid.rar", rar4_archive(basic4, solid=True))

    gbk = [Rar4Entry("中文", is_dir=True, encoding="gbk"),
           Rar4Entry("中文\\第一章.htm", page("1", "gbk"), encoding="gbk"),
           Rar4Entry("目录.txt", b"gbk name\r\n", encoding="gbk")]
    write(folder, "gbk.rar", rar4_archive(gbk))

    uni = [Rar4Entry("書籍\\章節一.htm", page("1", "unicode"), encoding="gbk", unicode=True),
           Rar4Entry("ελληνικά.txt", b"greek name\r\n", encoding="gbk", unicode=True)]
    write(folder, "unicode.rar", rar4_archive(uni))

    vol_entries = [Rar4Entry("a.htm", page("A", "first volume")),
                   Rar4Entry("big.htm", long_text(1, 5000)),
                   Rar4Entry("c.htm", page("C", "second volume"))]
    for i, v in enumerate(rar4_volumes(vol_entries, 1), 1):
        write(folder, "volumes.part%d.rar" % i, v)
    old = rar4_volumes(vol_entries, 1, new_numbering=False)
    write(folder, "oldvol.rar", old[0])
    write(folder, "oldvol.r00", old[1])
    for i, v in enumerate(rar4_volumes(vol_entries, 1, solid=True), 1):
        write(folder, "solidvol.part%d.rar" % i, v)

    enc = [Rar4Entry("open.htm", page("Open", "not encrypted")),
           Rar4Entry("secret.htm", page("Secret", "encrypted"), encrypted=True)]
    write(folder, "encrypted.rar", rar4_archive(enc))
    write(folder, "encheaders.rar", rar4_encrypted_headers())

    # RAR 5 stores "/" as the separator.
    basic5 = [Rar5Entry(n.replace("\\", "/"), d or b"", is_dir=d is None) for n, d in BASIC]
    basic5.append(Rar5Entry("书/第二章.htm", page("2", "utf-8 name")))
    write(folder, "basic5.rar", rar5_archive(basic5))
    write(folder, "solid5.rar", rar5_archive(basic5, solid=True))
    vol5 = [Rar5Entry(e.name, e.data) for e in vol_entries]
    for i, v in enumerate(rar5_volumes(vol5, 1), 1):
        write(folder, "vol5.part%d.rar" % i, v)
    for i, v in enumerate(rar5_volumes(vol5, 1, solid=True), 1):
        write(folder, "solidvol5.part%d.rar" % i, v)
    enc5 = [Rar5Entry("open.htm", page("Open", "not encrypted")),
            Rar5Entry("secret.htm", page("Secret", "encrypted"), encrypted=True)]
    write(folder, "enc5.rar", rar5_archive(enc5))
    write(folder, "enchead5.rar", rar5_encrypted_headers())

    # Sets cut at a volume size: a page wholly in the first volume, then a
    # page whose last 200 bytes make up the short second volume.
    set_text = b"a text that lies wholly in the first volume\r\n"
    set_page = page("Big", long_text(2, 6000).decode("ascii"))
    set4 = [Rar4Entry("a.txt", set_text)]
    for i, v in enumerate(rar4_split_set(set4, Rar4Entry("big.html", set_page), 200), 1):
        write(folder, "cut.part%d.rar" % i, v)
    old_cut = rar4_split_set(set4, Rar4Entry("big.html", set_page), 200, new_numbering=False)
    write(folder, "cutold.rar", old_cut[0])
    write(folder, "cutold.r00", old_cut[1])
    set5 = [Rar5Entry("a.txt", set_text)]
    for i, v in enumerate(rar5_split_set(set5, Rar5Entry("big.html", set_page), 200), 1):
        write(folder, "cut5.part%d.rar" % i, v)
    for i, v in enumerate(rar5_split_set(set5, Rar5Entry("big.html", set_page), 200, solid=True), 1):
        write(folder, "cutsolid5.part%d.rar" % i, v)
    for i, v in enumerate(rar5_split_set(set5, Rar5Entry("big.html", set_page), 200, unknown_size=True), 1):
        write(folder, "stream5.part%d.rar" % i, v)

    # Names that would climb out of a folder when unpacked.
    unsafe = [Rar4Entry("..\\..\\evil.htm", page("E", "up")),
              Rar4Entry("\\rooted.htm", page("R", "absolute")),
              Rar4Entry("C:\\drive.htm", page("D", "drive")),
              Rar4Entry("a\\..\\..\\b.htm", page("B", "inner")),
              Rar4Entry("safe..name.htm", page("S", "dots inside a name"))]
    write(folder, "unsafe.rar", rar4_archive(unsafe))


if __name__ == "__main__":
    main()
