#!/usr/bin/python3
"""Benchmarks quenlo-check on hostile fonts, built here at full size: collections of many
members that share one OS/2 table but need different values, that point at one directory over a
character map of a few huge groups, a sparse 4 GiB file that lists a billion members, members
whose OS/2 records overlap, members that share a 64 KiB OS/2 table but want a thousand values,
fonts whose names, directory or tables a copy installed with --install would repeat many
times over, a sparse font to install, members whose name tables lie a byte apart, installed
and lying in the user's font folder for --uninstall, and web fonts whose tables decompress to
as much as the reader takes for their size, or more. Prints each run's wall time, peak memory and report size against the targets: at
most 1 s and 64 MiB each, and a text report of at most a few hundred bytes a member. A run over
a target is marked, never failed; a run killed by a signal fails. Needs GNU time.

    bench/hostile.py [--build build] [--smoke]"""
import argparse
import os
import pathlib
import struct
import subprocess
import sys
import tempfile
import zlib

import brotli

HERE = pathlib.Path(__file__).resolve().parent
TARGET_SECONDS = 1.0
TARGET_MIB = 64
TARGET_BYTES_A_MEMBER = 400


def head():
    return bytes(18) + struct.pack(">H", 1000) + bytes(34)


def hhea(metrics):
    return bytes(34) + struct.pack(">H", metrics)


def maxp(glyphs):
    return struct.pack(">IH", 0x5000, glyphs)


def os2(stored, length=96):
    return struct.pack(">Hh", 4, stored) + bytes(length - 4)


def hmtx(advances):
    return b"".join(struct.pack(">Hh", advance, 0) for advance in advances)


def cmap(groups):
    """A format 12 cmap of (first, last, glyph) groups."""
    subtable = struct.pack(">HHIII", 12, 0, 16 + 12 * len(groups), 0, len(groups))
    subtable += b"".join(struct.pack(">III", *group) for group in groups)
    return struct.pack(">HHHHI", 0, 1, 3, 10, 12) + subtable


# The space and U+0021..U+007E on glyphs 1 to 95.
ASCII = cmap([(0x20, 0x7E, 1)])


def collection(tables, directories, order):
    """A collection whose tables (name -> bytes) are stored once; each directory lists
    (tag, name) pairs, and member i uses directory order[i]."""
    header = 12 + 4 * len(order)
    starts, at = [], header
    for directory in directories:
        starts.append(at)
        at += 12 + 16 * len(directory)
    offsets = {}
    body = b""
    for name, data in tables.items():
        offsets[name] = at + len(body)
        body += data + bytes(-len(data) % 4)
    out = struct.pack(">4sII", b"ttcf", 0x10000, len(order))
    out += struct.pack(f">{len(order)}I", *[starts[i] for i in order])
    for directory in directories:
        out += struct.pack(">IHHHH", 0x10000, len(directory), 0, 0, 0)
        for tag, name in directory:
            out += tag + struct.pack(">III", 0, offsets[name], len(tables[name]))
    return out + body


def directory(os2_name="os2", hmtx_name="hmtx", cmap_name="cmap"):
    return [(b"cmap", cmap_name), (b"OS/2", os2_name), (b"head", "head"), (b"hhea", "hhea"),
            (b"hmtx", hmtx_name), (b"maxp", "maxp")]


def shared_needing_two_values(members):
    """Two fixed-pitch directories, at 500 and at 600, share one OS/2 table; members alternate."""
    tables = {"cmap": ASCII, "os2": os2(1000), "head": head(), "hhea": hhea(96),
              "maxp": maxp(96), "a": hmtx([0] + [500] * 95), "b": hmtx([0] + [600] * 95)}
    return collection(tables, [directory(hmtx_name="a"), directory(hmtx_name="b")],
                      [i % 2 for i in range(members)])


def one_directory_huge_groups(members):
    """Every member uses one directory whose cmap maps every code point again and again."""
    groups = [(0, 0x10FFFF, 1)] * 15
    tables = {"cmap": cmap(groups), "os2": os2(1000), "head": head(), "hhea": hhea(2),
              "maxp": maxp(2), "hmtx": hmtx([0, 500])}
    return collection(tables, [directory()], [0] * members)


def overlapping_os2(members):
    """Each member has its own directory, whose OS/2 record starts 2 bytes after the last's."""
    tables = {"cmap": ASCII, "head": head(), "hhea": hhea(96), "maxp": maxp(96),
              "hmtx": hmtx([0] + [500] * 95), "os2": os2(1000, 96 + 2 * members)}
    data = bytearray(collection(tables, [directory()] * members, list(range(members))))
    # Point each member's OS/2 record 2 bytes further into the one long table.
    header = 12 + 4 * members
    for i in range(members):
        record = header + i * (12 + 16 * 6) + 12 + 16 * 1
        (offset,) = struct.unpack(">I", data[record + 8:record + 12])
        data[record + 8:record + 16] = struct.pack(">II", offset + 2 * i, 96)
    return bytes(data)


def large_os2_many_values(members):
    """Each member has its own metrics, fixed-pitch at 400 + i, and all share a 64 KiB OS/2."""
    tables = {"cmap": ASCII, "os2": os2(1000, 65536), "head": head(), "hhea": hhea(96),
              "maxp": maxp(96)}
    for i in range(members):
        tables[f"h{i}"] = hmtx([0] + [400 + i] * 95)
    return collection(tables, [directory(hmtx_name=f"h{i}") for i in range(members)],
                      list(range(members)))


def overlapping_directories(members, records=65535):
    """Members whose table directories start 16 bytes apart in one region, each claiming
    `records` records: every 16 bytes of the region read as an offset table and as a record."""
    header = 12 + 4 * members
    unit = struct.pack(">IHHHH", 0x10000, records, 0, 0, 0) + struct.pack(">I", 16)
    out = struct.pack(">4sII", b"ttcf", 0x10000, members)
    out += struct.pack(f">{members}I", *[header + 16 * i for i in range(members)])
    return out + unit * (records + members)


def tables_a_byte_apart(members):
    """Every member has its own directory over one large hmtx and one large cmap, each listed
    with a length one byte longer than the last member's, so no two members list the same
    table."""
    glyphs = 65535
    tables = {"head": head(), "hhea": hhea(glyphs), "maxp": maxp(glyphs), "os2": os2(1000),
              "hmtx": hmtx([0] + [500] * (glyphs - 1)) + bytes(members),
              "cmap": cmap([(0x20, 0x7E, 1), (0x4E00, 0x9FFF, 100)]) + bytes(members)}
    data = bytearray(collection(tables, [directory()] * members, list(range(members))))
    header = 12 + 4 * members
    for i in range(members):
        for slot in (0, 4):  # the cmap and hmtx records
            record = header + i * (12 + 16 * 6) + 12 + 16 * slot
            (length,) = struct.unpack(">I", data[record + 12:record + 16])
            data[record + 12:record + 16] = struct.pack(">I", length - members + i)
    return bytes(data)


def sparse_declared_cmap(path, members, size=4 << 30):
    """A collection in a sparse file of size bytes whose members list one format 12 character
    map, each with a length one byte apart, that declares as many groups as the file can hold:
    all but its first bytes are a hole."""
    tables = {"head": head(), "hhea": hhea(96), "maxp": maxp(96), "os2": os2(1000),
              "hmtx": hmtx([0] + [500] * 95), "cmap": ASCII}
    data = bytearray(collection(tables, [directory()] * members, list(range(members))))
    header = 12 + 4 * members
    (offset,) = struct.unpack(">I", data[header + 12 + 8:header + 12 + 12])
    groups = (size - offset - 12 - 16) // 12
    # The subtable's length and group count claim the rest of the file.
    data[offset + 12 + 4:offset + 12 + 16] = struct.pack(">III", 0xFFFFFFFF, 0, groups)
    for i in range(members):
        record = header + i * (12 + 16 * 6) + 12
        data[record + 12:record + 16] = struct.pack(">I", size - offset - i)
    with open(path, "wb") as out:
        out.write(data)
        out.truncate(size)
    return size


def many_metrics_one_cmap(members):
    """Every member has its own directory and its own 4-byte hmtx, and all share one cmap whose
    single group maps the 65,536 code points of the Supplementary Ideographic Plane to 65,535
    glyphs: each member's metrics are new, and each costs all of the rules' work."""
    glyphs = 65535
    tables = {"head": head(), "hhea": hhea(1), "maxp": maxp(glyphs), "os2": os2(1000),
              "cmap": cmap([(0x20000, 0x2FFFF, 1)])}
    for i in range(members):
        tables[f"h{i}"] = hmtx([500 + i % 1000])
    return collection(tables, [directory(hmtx_name=f"h{i}") for i in range(members)],
                      list(range(members)))


def sparse_zero_directories(path, members, size=4 << 30):
    """A collection in a sparse file of size bytes whose members' directories lie a mebibyte
    apart, each claiming 65,535 records that are a hole: zeros that take no room."""
    spacing = 1 << 20
    with open(path, "wb") as out:
        out.write(struct.pack(">4sII", b"ttcf", 0x10000, members))
        out.write(struct.pack(f">{members}I", *[spacing * (i + 1) for i in range(members)]))
        for i in range(members):
            out.seek(spacing * (i + 1))
            out.write(struct.pack(">IHHHH", 0x10000, 65535, 0, 0, 0))
        out.truncate(size)
    return size


def names_sharing_one_text(records, length):
    """A font whose name table's records, names of its family, full name and unique name, all
    point at one string of length bytes, which starts where the records do: a table under
    1 MiB whose texts, each counted on its own, come to gigabytes."""
    name = struct.pack(">HHH", 0, records, 6)
    name += b"".join(struct.pack(">6H", 3, 1, 0x409, (1, 3, 4)[i % 3], length, 0)
                     for i in range(records))
    tables = {"cmap": ASCII, "os2": os2(1000), "head": head(), "hhea": hhea(96),
              "maxp": maxp(96), "hmtx": hmtx([0] + [500] * 95),
              "name": name + bytes(max(0, 6 + length - len(name)))}
    return collection(tables, [directory() + [(b"name", "name")]], [0])


def one_directory_many_records(members, records=4096):
    """Every member uses one directory of `records` records, all but seven of them extra
    tables of four bytes: a copy of each member would repeat the whole directory."""
    family = "Hostile".encode("utf-16-be")
    name = struct.pack(">HHH", 0, 1, 18) + struct.pack(">6H", 3, 1, 0x409, 1, len(family), 0)
    tables = {"cmap": ASCII, "os2": os2(1000), "head": head(), "hhea": hhea(96),
              "maxp": maxp(96), "hmtx": hmtx([0] + [500] * 95), "name": name + family,
              "extra": bytes(4)}
    extra = [(struct.pack(">I", 0x61000000 + i), "extra") for i in range(records - 7)]
    return collection(tables, [directory() + [(b"name", "name")] + extra], [0] * members)


def tables_overlapping_one_font(records=4096, length=256 << 10):
    """A font whose extra tables, each of its own tag, are one region of length bytes listed
    with lengths a byte apart: copied one by one, they would take gigabytes."""
    family = "Hostile".encode("utf-16-be")
    name = struct.pack(">HHH", 0, 1, 18) + struct.pack(">6H", 3, 1, 0x409, 1, len(family), 0)
    tables = {"cmap": ASCII, "os2": os2(1000), "head": head(), "hhea": hhea(96),
              "maxp": maxp(96), "hmtx": hmtx([0] + [500] * 95), "name": name + family,
              "region": bytes(length)}
    extra = [(struct.pack(">I", 0x61000000 + i), "region") for i in range(records)]
    data = bytearray(collection(tables, [directory() + [(b"name", "name")] + extra], [0]))
    first = 16 + 12 + 16 * 7
    for i in range(records):
        record = first + 16 * i
        data[record + 12:record + 16] = struct.pack(">I", length - i)
    return bytes(data)


def name_tables_a_byte_apart(members, length=2800):
    """Every member has its own directory over one name table of length bytes, listed with a
    length one byte longer than the last member's: read again for each member, the names would
    cost the square of the members."""
    family = "Hostile".encode("utf-16-be")
    name = struct.pack(">HHH", 0, 1, 18) + struct.pack(">6H", 3, 1, 0x409, 1, len(family), 0)
    tables = {"cmap": ASCII, "os2": os2(1000), "head": head(), "hhea": hhea(96),
              "maxp": maxp(96), "hmtx": hmtx([0] + [500] * 95),
              "name": name + family + bytes(length + members)}
    data = bytearray(collection(tables, [directory() + [(b"name", "name")]] * members,
                                list(range(members))))
    header = 12 + 4 * members
    for i in range(members):
        record = header + i * (12 + 16 * 7) + 12 + 16 * 6
        (size,) = struct.unpack(">I", data[record + 12:record + 16])
        data[record + 12:record + 16] = struct.pack(">I", size - members + i)
    return bytes(data)


def sparse_source(path, size):
    """A font to install whose one more table, all zeros, is a hole that makes the file size
    bytes long, of which it holds a few KiB: a copy made by the length would be dense."""
    family = "Hostile".encode("utf-16-be")
    name = struct.pack(">HHH", 0, 1, 18) + struct.pack(">6H", 3, 1, 0x409, 1, len(family), 0)
    tables = {"cmap": ASCII, "os2": os2(1000), "head": head(), "hhea": hhea(96),
              "maxp": maxp(96), "hmtx": hmtx([0] + [500] * 95), "name": name + family,
              "zero": bytes(4)}
    data = bytearray(collection(tables, [directory() + [(b"name", "name"), (b"zero", "zero")]],
                                [0]))
    record = 16 + 12 + 16 * 7
    (offset,) = struct.unpack(">I", data[record + 8:record + 12])
    data[record + 12:record + 16] = struct.pack(">I", size - offset)
    with open(path, "wb") as out:
        out.write(data)
        out.truncate(size)
    return size


def woff(tables, private):
    """A WOFF of (tag, bytes, declared length) tables, each zlib-compressed, and a private
    block of private bytes."""
    entries, body = b"", b""
    start = 44 + 20 * len(tables)
    for tag, data, declared in tables:
        packed = zlib.compress(data, 9)
        packed = packed if len(packed) < len(data) else data
        entries += tag + struct.pack(">IIII", start + len(body), len(packed), declared, 0)
        body += packed + bytes(-len(packed) % 4)
    priv = start + len(body)
    return (struct.pack(">4s4sIHHIHHIIIII", b"wOFF", b"\0\1\0\0", priv + len(private),
                        len(tables), 0, 0, 1, 0, 0, 0, 0, priv, len(private))
            + entries + body + private)


def woff2(tables, private):
    """A WOFF2 of (tag, bytes) tables, untransformed, in one Brotli stream, and a private
    block of private bytes."""
    directory = b""
    for tag, data in tables:
        length, digits = len(data), [len(data) & 0x7F]
        while length > 127:
            length >>= 7
            digits.insert(0, 0x80 | (length & 0x7F))
        directory += bytes([0x3F]) + tag + bytes(digits)
    packed = brotli.compress(b"".join(data for _, data in tables), mode=brotli.MODE_FONT)
    priv = 48 + len(directory) + len(packed)
    priv += -priv % 4
    out = (struct.pack(">4s4sIHHIIHHIIIII", b"wOF2", b"\0\1\0\0", priv + len(private),
                       len(tables), 0, 0, len(packed), 1, 0, 0, 0, 0, priv, len(private))
           + directory + packed)
    return out + bytes(priv - len(out)) + private


def web_tables(stored):
    return [(b"OS/2", os2(stored)), (b"cmap", ASCII), (b"head", head()), (b"hhea", hhea(96)),
            (b"hmtx", hmtx([0] + [500] * 95)), (b"maxp", maxp(96))]


def woff_bomb(size):
    """A WOFF of size bytes, most of them private, whose cmap decompresses to almost as much as
    the reader takes for a file of that size, all zeros."""
    declared = 15 * size
    tables = [(tag, data, len(data)) for tag, data in web_tables(1000) if tag != b"cmap"]
    return woff(tables + [(b"cmap", bytes(declared), declared)], os.urandom(size))


def woff2_bomb(size, factor=15):
    """A WOFF2 of size bytes, most of them private, whose stream holds a table that the check
    does not read of factor times that, all zeros."""
    return woff2(web_tables(1000) + [(b"zero", bytes(factor * size))], os.urandom(size))


def run(check, arguments, scratch, stdin_bytes=0):
    """Wall seconds, peak MiB, exit status and report bytes of one run, from GNU time; with
    stdin_bytes, that many zeros are piped to it."""
    report = scratch / "report"
    command = ["/usr/bin/time", "-f", "%e %M", check] + arguments
    with open(report, "wb") as out:
        if stdin_bytes:
            feed = subprocess.Popen(["head", "-c", str(stdin_bytes), "/dev/zero"],
                                    stdout=subprocess.PIPE)
            result = subprocess.run(command, stdin=feed.stdout, stdout=out,
                                    stderr=subprocess.PIPE, text=True)
            feed.stdout.close()
            feed.kill()
            feed.wait()
        else:
            result = subprocess.run(command, stdout=out, stderr=subprocess.PIPE, text=True)
    seconds, kib = result.stderr.split()[-2:]
    return float(seconds), int(kib) / 1024, result.returncode, report.stat().st_size


def sparse_font(path, size):
    """A font that needs 500 in a sparse file of size bytes: a hole after its tables."""
    tables = {"head": head(), "hhea": hhea(96), "maxp": maxp(96), "os2": os2(1000),
              "hmtx": hmtx([0] + [500] * 95), "cmap": ASCII}
    with open(path, "wb") as out:
        out.write(collection(tables, [directory()], [0]))
        out.truncate(size)
    return size


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=str(HERE.parent / "build"))
    parser.add_argument("--smoke", action="store_true", help="small sizes, to see that it runs")
    args = parser.parse_args()
    check = os.path.realpath(os.path.join(args.build, "quenlo-check"))
    scale = 100 if args.smoke else 1
    giga = 1 << 30
    # Each case: its name, the font (bytes, or a function that writes it at a path and returns
    # its size), the options, the members it lists, and the zeros piped to standard input.
    cases = [
        ("shared table, two values", shared_needing_two_values(10000 // scale), [], 0),
        ("shared table, two values", shared_needing_two_values(10000 // scale), ["--json"], 0),
        ("shared table, two values", shared_needing_two_values(10000 // scale), ["--fix"], 0),
        ("one directory, huge groups", one_directory_huge_groups(16384 // scale), [], 0),
        ("past the member limit", one_directory_huge_groups(65535 // scale), [], 0),
        ("overlapping OS/2 records", overlapping_os2(16384 // scale), ["--fix"], 0),
        ("64 KiB OS/2, many values", large_os2_many_values(1000 // scale), ["--fix"], 0),
        ("overlapping directories", overlapping_directories(16384 // scale), [], 0),
        ("overlapping directories", overlapping_directories(1024 // scale), ["--fix"], 0),
        ("tables a byte apart", tables_a_byte_apart(16384 // scale), [], 0),
        ("many metrics, one cmap", many_metrics_one_cmap(16384 // scale), [], 0),
        ("sparse, zero directories", lambda path: sparse_zero_directories(path, 4095 // scale),
         [], 0),
        ("sparse cmap, 4 GiB declared",
         lambda path: sparse_declared_cmap(path, 16 // min(scale, 16)), [], 0),
        ("sparse font, --output", lambda path: sparse_font(path, (2 if scale == 1 else 1) * giga),
         ["--fix", "-o", "OUT"], 0),
        ("sparse font, 1 TiB", lambda path: sparse_font(path, 1 << 40), [], 0),
        ("zeros on standard input", b"", ["-"], 4 * giga // scale),
        ("names sharing one text", names_sharing_one_text(65535 // scale, 60000), ["--install"],
         0),
        ("one directory, many records", one_directory_many_records(16384 // scale),
         ["--install"], 0),
        ("tables overlapping, a copy", tables_overlapping_one_font(4096 // scale), ["--install"],
         0),
        ("sparse source, 1 GiB", lambda path: sparse_source(path, giga // scale), ["--install"],
         0),
        ("name tables a byte apart", name_tables_a_byte_apart(1024 // scale), ["--install"], 0),
        ("WOFF, zlib bomb", woff_bomb((1 << 20) // scale), [], 0),
        ("WOFF2, Brotli bomb", woff2_bomb((1 << 20) // scale), [], 0),
        ("WOFF2, Brotli bomb", woff2_bomb((1 << 20) // scale), ["--fix"], 0),
        ("WOFF2, past the limit", woff2_bomb((1 << 20) // scale, 32), [], 0),
        # The same collection lying in the user's font folder under a copy's name.
        ("name tables a byte apart", name_tables_a_byte_apart(1024 // scale), ["--uninstall"],
         0),
    ]
    crashed = False
    print(f"{'case':28} {'options':12} {'members':>8} {'file':>9} {'status':>6} {'time':>7} "
          f"{'memory':>9} {'report':>10} {'a member':>9}")
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        # --install puts its copies under the scratch folder, never among the user's fonts.
        os.environ["XDG_DATA_HOME"] = str(scratch / "data")
        font = scratch / "font.ttc"
        output = scratch / "out.ttc"
        rows = []
        for name, data, options, stdin_bytes in cases:
            if callable(data):
                size = data(font)
                with open(font, "rb") as start:
                    members = struct.unpack(">I", start.read(12)[8:12])[0]
            else:
                font.write_bytes(data)
                size = stdin_bytes or len(data)
                members = struct.unpack(">I", data[8:12])[0] if data[:4] == b"ttcf" else 1
            arguments = [str(output) if a == "OUT" else a for a in options]
            if options == ["--uninstall"]:
                folder = scratch / "data" / "fonts"
                folder.mkdir(parents=True, exist_ok=True)
                font.rename(folder / "hostile-Fixed-0123abcd.ttc")
            elif not stdin_bytes:
                arguments.append(str(font))
            rows.append((name, options, members, size,
                         run(check, arguments, scratch, stdin_bytes)))
            if output.exists():
                # What the output takes on disk, which a sparse copy keeps small.
                rows[-1] += (output.stat().st_blocks * 512,)
                output.unlink()
            font.unlink(missing_ok=True)
        # A sparse file of 4 GiB whose header lists a billion members.
        with open(font, "wb") as sparse:
            sparse.write(struct.pack(">4sII", b"ttcf", 0x10000, 10**9))
            sparse.truncate(4 << 30)
        rows.append(("sparse 4 GiB, 10^9 members", [], 10**9, 4 << 30,
                     run(check, [str(font)], scratch)))
        for name, options, members, size, (seconds, mib, status, report), *disk in rows:
            text = not options or options == ["--fix"]
            a_member = report / members
            over = seconds > TARGET_SECONDS or mib > TARGET_MIB or (
                text and a_member > TARGET_BYTES_A_MEMBER)
            crashed = crashed or status not in (0, 1, 2)
            shown = " ".join("PATH" if a == "OUT" else a for a in options)
            written = f"  output takes {disk[0] / 1024:.0f} KiB on disk" if disk else ""
            print(f"{name:28} {shown:12} {members:>8} {size / 1024:>7.0f}Ki {status:>6} "
                  f"{seconds:>6.2f}s {mib:>6.1f}MiB {report:>10} {a_member:>8.1f}B"
                  f"{'  OVER TARGET' if over else ''}{written}")
    print(f"targets: at most {TARGET_SECONDS} s and {TARGET_MIB} MiB a run, a text report of at "
          f"most {TARGET_BYTES_A_MEMBER} bytes a member")
    sys.exit(1 if crashed else 0)


if __name__ == "__main__":
    main()
