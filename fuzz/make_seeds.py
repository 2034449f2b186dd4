#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpus: hand-made command tails and font files (with their
truncations and a real font's header), and small complete fonts for the width check's reader
(each cmap format, a collection), each named by the SHA-1 of its content."""
import hashlib
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
REAL_FONT = pathlib.Path("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")


def save(target, data):
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(data).hexdigest()).write_bytes(data)


def font(tables, version=0x00010000, offsets=None):
    """A font file with tables given as (tag, data) pairs; offsets may override record offsets."""
    head = struct.pack(">IHHHH", version, len(tables), 16, 0, 0)
    body = b""
    records = b""
    start = 12 + 16 * len(tables)
    for i, (tag, data) in enumerate(tables):
        offset = start + len(body) if offsets is None else offsets[i]
        records += tag + struct.pack(">III", 0x12345678, offset, len(data))
        body += data + b"\0" * (-len(data) % 4)
    return head + records + body


tails = [b"", b"font.ttf", b"-w 500 font.ttf", b'-w500 "My Font.ttf" rest', b'"', b'""',
         b"-w", b"-w 0", b"-w 99999999999 x", b"-w 12\tx", b"   -W 12 x", b"-w 12 -w 14 f",
         b"a" * 2046, b"a" * 2047, b'"' + b"a" * 2046 + b'"x', b'"' + b"a" * 2047, b"\xfc.ttf"]
for tail in tails:
    save("command_tail", tail)

os2 = struct.pack(">Hh", 4, 1000) + bytes(range(92))
sample = font([(b"head", bytes(54)), (b"OS/2", os2), (b"name", bytes(27))])
width = struct.pack(">H", 500)
fonts = [sample,
         font([(b"OS/2", os2)], version=0x4F54544F),
         font([(b"OS/2", os2)], version=0x74746366),
         font([(b"OS/2", os2)], version=0x74727565),
         font([]),
         font([(b"os/2", os2)]),
         font([(b"OS/2", os2)], offsets=[0]),
         font([(b"OS/2", os2)], offsets=[0xFFFFFFFF]),
         font([(b"OS/2", os2), (b"OS/2", os2)], offsets=[40, 60]),
         struct.pack(">IH", 0x00010000, 65535) + bytes(6)]
for data in fonts:
    save("patcher", width + data)
for cut in list(range(0, 13)) + [16, 28, 44, 48, 52, 56, 60, 100]:
    save("patcher", width + sample[:cut])
if REAL_FONT.exists():
    real = REAL_FONT.read_bytes()
    (num_tables,) = struct.unpack(">H", real[4:6])
    save("patcher", width + real[:12 + 16 * num_tables])


def cmap(subtable, platform=3, encoding=1):
    return struct.pack(">HHHHI", 0, 1, platform, encoding, 12) + subtable


def metrics_font(cmap_table, version=0x00010000, more=()):
    """A font with the tables the width check reads: four glyphs, the last at 1000."""
    hhea = bytes(34) + struct.pack(">H", 3)
    maxp = struct.pack(">IH", 0x5000, 4)
    hmtx = struct.pack(">HhHhHh", 0, 0, 500, 0, 1000, 0) + struct.pack(">h", 0)
    head = bytes(18) + struct.pack(">H", 1000) + bytes(34)
    return font([(b"cmap", cmap_table), (b"OS/2", os2), (b"head", head), (b"hhea", hhea),
                 (b"hmtx", hmtx), (b"maxp", maxp), *more], version)


format0 = struct.pack(">HHH", 0, 262, 0) + bytes([1] * 128 + [2] * 128)
format4 = (struct.pack(">HHHHHHH", 4, 40, 0, 4, 4, 1, 0) + struct.pack(">HHHHHHHH", 0x7E, 0xFFFF, 0,
           0x20, 0xFFFF, 0xFFE1, 1, 0) + struct.pack(">HH", 0, 0))
format4_array = (struct.pack(">HHHHHHH", 4, 38, 0, 4, 4, 1, 0) +
                 struct.pack(">HHHHHHHHHH", 0x22, 0xFFFF, 0, 0x20, 0xFFFF, 0, 1, 4, 0, 1) +
                 struct.pack(">HHH", 1, 2, 3))
format6 = struct.pack(">HHHHH", 6, 16, 0, 0x20, 3) + struct.pack(">HHH", 1, 2, 3)
format12 = struct.pack(">HHIII", 12, 0, 40, 0, 2) + struct.pack(">III", 0x20, 0x7E, 1) + \
    struct.pack(">III", 0x4E00, 0x4FFF, 2)
format13 = struct.pack(">HHIII", 13, 0, 28, 0, 1) + struct.pack(">III", 0x20, 0x7E, 1)
readers = [metrics_font(cmap(format0)), metrics_font(cmap(format4)),
           metrics_font(cmap(format4_array)), metrics_font(cmap(format6, 0, 3)),
           metrics_font(cmap(format12, 3, 10)), metrics_font(cmap(format13, 0, 6)),
           metrics_font(cmap(format12, 3, 10), 0x4F54544F)]
for data in readers:
    save("font_reader", data)
# The member's table offsets count from the start of the collection, 16 bytes before it.
member = bytearray(readers[4])
for record in range(12, 12 + 16 * 6, 16):
    (offset,) = struct.unpack(">I", member[record + 8:record + 12])
    member[record + 8:record + 12] = struct.pack(">I", offset + 16)
collection = struct.pack(">4sIII", b"ttcf", 0x10000, 1, 16) + bytes(member)
save("font_reader", collection)

# The fixer starts from the same fonts, and from a collection of two members that share one OS/2
# table, as the members of real CJK collections do.
for data in readers + [collection]:
    save("fixer", data)
members = [bytearray(readers[0]), bytearray(readers[4])]
starts = [20, 20 + len(members[0])]
for member, start in zip(members, starts):
    for record in range(12, 12 + 16 * 6, 16):
        (offset,) = struct.unpack(">I", member[record + 8:record + 12])
        member[record + 8:record + 12] = struct.pack(">I", offset + start)
os2_record = 12 + 16 * 1
members[1][os2_record + 8:os2_record + 12] = members[0][os2_record + 8:os2_record + 12]
save("fixer", struct.pack(">4sIIII", b"ttcf", 0x10000, 2, *starts) + bytes(members[0]) +
     bytes(members[1]))

# Collections of many members over few directories and shared tables, where the reader must read
# each directory once and the report must name who shares a table once.
def collection_of(members, order, share_os2=False):
    """A collection whose member i uses the directory of members[order[i]]."""
    header = 12 + 4 * len(order)
    starts, body = [], b""
    for data in members:
        start = header + len(body)
        member = bytearray(data)
        (num_tables,) = struct.unpack(">H", member[4:6])
        for record in range(12, 12 + 16 * num_tables, 16):
            (offset,) = struct.unpack(">I", member[record + 8:record + 12])
            member[record + 8:record + 12] = struct.pack(">I", offset + start)
        starts.append(start)
        body += bytes(member)
    if share_os2:
        # Every member's OS/2 record points at the first member's table, its second record.
        out = bytearray(body)
        first = starts[0] - header + 12 + 16 + 8
        for start in starts:
            at = start - header + 12 + 16 + 8
            out[at:at + 4] = out[first:first + 4]
        body = bytes(out)
    offsets = struct.pack(">" + "I" * len(order), *[starts[i] for i in order])
    return struct.pack(">4sII", b"ttcf", 0x10000, len(order)) + offsets + body


many = collection_of([readers[0], readers[4]], [i % 2 for i in range(12)], share_os2=True)
same = collection_of([readers[4]], [0] * 20)
for data in (many, same):
    save("font_reader", data)
    save("fixer", data)

# Names from anywhere: the ones that once drew a fake line or ran something when pasted, and
# some that every shell reads as they are.
names = ["font.ttf", "My Font.ttf", "NotoSans[wdth,wght].ttf", "C:\\Fonts\\a b.ttf", "-x.ttf",
         "-", "\"q.ttf", "a \"b.ttf", "it's.ttf", "a\\'; touch PWNED; #.ttf", "=ls", "%self",
         "$(rm -r ~).ttf", "%COMSPEC%.ttf", "a!b!.ttf", "`x`.ttf", "cr\r  fix: touch PWNED\x1b[K",
         "two\nlines.ttf", "b\\x01.ttf", "b\x01.ttf", "a\u200bb.ttf", "a\u00a0b.ttf",
         "\ufeffa.ttf", "a\U000e0041.ttf", "a\u201d & calc.ttf", "\u5b57 \u4f53.ttf", "n" * 2047]
for name in names:
    data = name.encode("utf-8", "surrogatepass")
    save("names", data)
    save("windows_names", data)
for data in (b"caf\xe9.ttf", b"\xc2\x9b2J", b"\xed\xa0\x80.ttf"):
    save("names", data)
    save("windows_names", data)

# Streams on standard input: fonts, a font with bytes past it, what is no font, and a header
# that claims far more than it holds.
for data in readers + [collection, many, readers[0] + bytes(100), bytes(64), b"ttcf",
                       struct.pack(">4sIII", b"ttcf", 0x10000, 1, 0xFFFFFFF0)]:
    save("standard_input", data)

# --output: each font unchanged meanwhile (a first byte of 64 or more), and replaced before one
# of the reads.
for data in readers + [collection, many]:
    save("output", bytes([255]) + data)
    save("output", bytes([5]) + data)
    save("output", bytes([30]) + data)

# The copy installed for the user: fonts with a name table (a family and a full name that share
# one string, and a PostScript name), one alone and two in a collection.
family = "Fuzz".encode("utf-16-be")
postscript = "Fuzz-Bold".encode("utf-16-be")
name = (struct.pack(">HHH", 0, 3, 42) + struct.pack(">6H", 3, 1, 0x409, 1, len(family), 0) +
        struct.pack(">6H", 3, 1, 0x409, 4, len(family), 0) +
        struct.pack(">6H", 3, 1, 0x409, 6, len(postscript), len(family)) + family + postscript)
named = [metrics_font(cmap(format4), more=[(b"name", name)]),
         metrics_font(cmap(format12, 3, 10), 0x4F54544F, more=[(b"name", name)])]
for data in named + [collection_of(named, [0, 1]), collection_of(named[:1], [0, 0])]:
    save("copy", data)
