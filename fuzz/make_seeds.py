#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpus: hand-made command tails and font files (with their
truncations and a real font's header), each named by the SHA-1 of its content."""
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
