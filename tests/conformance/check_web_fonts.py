#!/usr/bin/python3
"""Checks and fixes web fonts that fontTools, an independent reader and writer, makes from real
fonts: WOFF, and WOFF2 with glyf and loca transformed and with hmtx transformed too, of a
TrueType CJK font, a CFF font and a fixed-pitch font. Each web font must get the verdict of the
font it was made from, by file and by standard input; --fix into another file and in place must
give the same bytes, which fontTools decodes to every table as it was but the OS/2 table's
xAvgCharWidth and the head table's checkSumAdjustment, that moved by what the fix changed in the
file's sum; the check then finds it ok. A WOFF2 collection, built here, is fixed member by
member. Prints one line a font and exits non-zero on any failure."""
import argparse
import io
import json
import shutil
import struct
import subprocess
import sys
import tempfile
import pathlib

import brotli
from fontTools.ttLib import TTFont, TTCollection
from fontTools.ttLib.woff2 import compress

FONTS = ["/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf",
         "/usr/share/fonts/opentype/unifont/unifont.otf",
         "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"]
VERDICT = ("xAvgCharWidth", "suggested", "kind", "ok", "halfWidth", "fullWidth")


def check(program, *arguments, stdin=None):
    run = subprocess.run([program, "--json", *arguments], input=stdin, capture_output=True)
    return run.returncode, json.loads(run.stdout or b"[]")


def tables(data):
    font = TTFont(io.BytesIO(data))
    return {tag: font.reader[tag] for tag in font.reader.keys()}


def word_sum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(f">{len(data) // 4}I", data)) & 0xFFFFFFFF


def expect_fixed(before, after, width):
    """Every table as it was but OS/2's width and head's checkSumAdjustment, which moved by
    twice what the OS/2 table's sum moved: its bytes and its record's checksum."""
    a, b = tables(before), tables(after)
    assert a.keys() == b.keys(), "other tables"
    for tag in a:
        if tag not in ("OS/2", "head"):
            assert a[tag] == b[tag], f"table {tag} changed"
    assert a["OS/2"][:2] + a["OS/2"][4:] == b["OS/2"][:2] + b["OS/2"][4:], "OS/2 changed more"
    assert struct.unpack(">h", b["OS/2"][2:4])[0] == width, "another width"
    assert a["head"][:8] + a["head"][12:] == b["head"][:8] + b["head"][12:], "head changed more"
    moved = (word_sum(b["OS/2"]) - word_sum(a["OS/2"])) * 2
    old, new = (struct.unpack(">I", t["head"][8:12])[0] for t in (a, b))
    assert (old - moved) & 0xFFFFFFFF == new, "checkSumAdjustment did not move by the change"


def subset(source, scratch):
    """The font cut to ASCII and its first 3,000 CJK ideographs: the same verdict, and a web font
    that Brotli's slowest level compresses in a second, not ten."""
    from fontTools import subset as subsetter
    font = TTFont(source)
    cjk = [c for c in sorted(font.getBestCmap()) if 0x4E00 <= c <= 0x9FFF][:3000]
    options = subsetter.Options()
    options.notdef_outline = True
    options.name_IDs = ["*"]
    options.layout_features = []
    options.recalc_average_width = False
    options.prune_unicode_ranges = False
    cutter = subsetter.Subsetter(options)
    cutter.populate(unicodes=list(range(0x20, 0x7F)) + cjk)
    cutter.subset(font)
    path = scratch / pathlib.Path(source).name
    font.save(path)
    return str(path)


def web_fonts(source, scratch):
    stem = pathlib.Path(source).stem
    made = []
    for flavour in ("woff", "woff2"):
        font = TTFont(source)
        font.flavor = flavour
        path = scratch / f"{stem}.{flavour}"
        font.save(path)
        made.append((path, flavour.upper()))
    if TTFont(source).sfntVersion == "\0\1\0\0":
        path = scratch / f"{stem}-hmtx.woff2"
        compress(source, str(path), transform_tables={"glyf", "loca", "hmtx"})
        made.append((path, "WOFF2"))
    return made


def check_one(program, source, path, flavour, scratch):
    _, [wanted] = check(program, source)
    status, [found] = check(program, str(path))
    assert found["flavour"] == flavour, found
    assert {k: found[k] for k in VERDICT} == {k: wanted[k] for k in VERDICT}, (found, wanted)
    assert not found["patchable"], "quenlo cannot set a web font's width"
    _, [piped] = check(program, "-", stdin=path.read_bytes())
    assert {k: piped[k] for k in VERDICT} == {k: wanted[k] for k in VERDICT}, "another verdict"
    output = scratch / ("out-" + path.name)
    status, _ = check(program, "--fix", "-o", str(output), str(path))
    assert status == 0, status
    in_place = scratch / ("in-place-" + path.name)
    shutil.copy(path, in_place)
    check(program, "--fix", str(in_place))
    assert in_place.read_bytes() == output.read_bytes(), "in place and --output differ"
    if wanted["ok"]:
        assert output.read_bytes() == path.read_bytes(), "an ok font was changed"
    else:
        expect_fixed(path.read_bytes(), output.read_bytes(), wanted["suggested"])
    _, [again] = check(program, str(output))
    assert again["ok"], again
    return f"{path.name}: {found['xAvgCharWidth']} -> {wanted['suggested']}"


def base128(value):
    out = [value & 0x7F]
    while value > 127:
        value >>= 7
        out.insert(0, 0x80 | (value & 0x7F))
    return bytes(out)


def woff2_collection(members, shared=()):
    """A WOFF2 collection of the members' tables, without transforms: tables that two members
    hold the same bytes of are stored once, and those of the tags in shared are the first
    member's for all. Returns the file, its tables as stored and where its stream starts."""
    stored, entries, indices = [], [], []
    for font in members:
        own = []
        for tag in sorted(font.reader.keys()):
            data = members[0].reader[tag] if tag in shared else font.reader[tag]
            key = (tag, data)
            if key not in stored:
                stored.append(key)
            own.append(stored.index(key))
        indices.append((font.sfntVersion, own))
    directory = b""
    for tag, data in stored:
        flags = 0x3F | (3 << 6 if tag in ("glyf", "loca") else 0)
        directory += bytes([flags]) + tag.encode("latin-1") + base128(len(data))
    collection = struct.pack(">IB", 0x00010000, len(members))
    for version, own in indices:
        collection += bytes([len(own)]) + version.encode("latin-1") + bytes(own)
    stream = b"".join(data for _, data in stored)
    packed = brotli.compress(stream, mode=brotli.MODE_FONT)
    length = 48 + len(directory) + len(collection) + len(packed)
    header = struct.pack(">4s4sIHHIIHHIIIII", b"wOF2", b"ttcf", length, len(stored), 0,
                         12 + sum(16 * len(own) + 12 for _, own in indices) + len(stream),
                         len(packed), 1, 0, 0, 0, 0, 0, 0)
    return header + directory + collection + packed, stored, length - len(packed)


def check_collection(program, scratch):
    source = "/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf"
    source = subset(source, scratch)
    first = TTFont(source)
    second = TTFont(source)
    second["OS/2"].xAvgCharWidth = 1024  # already right: the member that keeps its value
    buffer = io.BytesIO()
    second.save(buffer)
    second = TTFont(io.BytesIO(buffer.getvalue()))
    data, stored, stream_start = woff2_collection([first, second])
    path = scratch / "collection.woff2"
    path.write_bytes(data)
    _, faces = check(program, str(path))
    assert [(f["index"], f["xAvgCharWidth"], f["ok"], f["flavour"]) for f in faces] == \
        [(0, 1962, False, "WOFF2"), (1, 1024, True, "WOFF2")], faces
    status, _ = check(program, "--fix", str(path))
    assert status == 0, status
    fixed = path.read_bytes()
    header = struct.unpack(">4s4sIHHIIHHIIIII", fixed[:48])
    assert header[2] == len(fixed), "the header's length"
    decoded = brotli.decompress(fixed[stream_start:stream_start + header[6]])
    assert fixed[:8] + fixed[12:20] + fixed[24:stream_start] == \
        data[:8] + data[12:20] + data[24:stream_start], "the directories changed"
    position = 0
    changed = []
    for tag, table in stored:
        now = decoded[position:position + len(table)]
        if now != table:
            changed.append(tag)
        position += len(table)
    assert sorted(changed) == ["OS/2"], changed  # a collection's head tables keep their sum
    _, faces = check(program, str(path))
    assert all(f["ok"] for f in faces), faces
    # Members that share one OS/2 table but need 1024 and 1233: a web font's directory cannot
    # give them a table each, so nothing is written.
    mono = TTFont(subset("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", scratch))
    data, _, _ = woff2_collection([TTFont(source), mono], shared=("OS/2",))
    path.write_bytes(data)
    run = subprocess.run([program, "--fix", str(path)], capture_output=True, text=True)
    assert run.returncode == 2 and "cannot give them a table each" in run.stderr + run.stdout, run
    assert path.read_bytes() == data, "a refused fix wrote"
    return "collection.woff2: member 0 fixed, member 1 kept; a shared table needing two refused"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    args = parser.parse_args()
    failures = 0
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        sources = [subset(source, scratch) for source in FONTS]
        jobs = [(source, path, flavour) for source in sources
                for path, flavour in web_fonts(source, scratch)]
        for source, path, flavour in jobs:
            try:
                print(check_one(args.program, source, path, flavour, scratch))
            except AssertionError as error:
                failures += 1
                print(f"FAIL {path.name}: {error}")
        try:
            print(check_collection(args.program, scratch))
        except AssertionError as error:
            failures += 1
            print(f"FAIL collection: {error}")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
