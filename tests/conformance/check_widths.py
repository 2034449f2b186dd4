#!/usr/bin/python3
"""Runs the width check with --json on every font file under a folder and compares each face,
field by field, with the same rules computed here from fontTools' reading of the font, an
independent reader. Prints one summary line (faces compared, agreeing, differing) and exits
non-zero when any face differs."""
import concurrent.futures
import json
import os
import subprocess
import sys

from fontTools.ttLib import TTFont

import corpus

WEIGHTS = dict(zip("abcdefghijklmnopqrstuvwxyz ",
                   [64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56, 56, 17, 4, 49, 56, 71,
                    31, 10, 18, 3, 18, 2, 166]))
CJK = [(0x3040, 0x30FF), (0x3400, 0x4DBF), (0x4E00, 0x9FFF), (0xAC00, 0xD7A3), (0xF900, 0xFAFF),
       (0x20000, 0x2FFFF)]


def most_common(advances):
    """The most common advance (the smaller one on a tie) and how many have it."""
    counts = {}
    for advance in advances:
        counts[advance] = counts.get(advance, 0) + 1
    if not counts:
        return None, 0
    best = min(counts, key=lambda a: (-counts[a], a))
    return best, counts[best]


def expected_face(path, index):
    """The face's fields as the rules give them, from fontTools."""
    font = TTFont(str(path), fontNumber=index if index is not None else -1, lazy=True)
    num_glyphs = font["maxp"].numGlyphs
    metrics = font["hmtx"].metrics
    advances = [metrics[name][0] for name in font.getGlyphOrder()[:num_glyphs]]
    cmap = font["cmap"].getBestCmap() if "cmap" in font else None
    glyph_of = {}
    for code, name in (cmap or {}).items():
        glyph = font.getGlyphID(name)
        if 0 < glyph < num_glyphs:
            glyph_of[code] = glyph

    def advance(code):
        return advances[glyph_of[code]] if code in glyph_of else None

    widths = [a for a in advances if a != 0]
    average = (2 * sum(widths) + len(widths)) // (2 * len(widths)) if widths else 0
    if all(ord(c) in glyph_of for c in WEIGHTS):
        weighted = (sum(advance(ord(c)) * w for c, w in WEIGHTS.items()) + 500) // 1000
    else:
        weighted = None
    half, half_count = most_common(a for a in map(advance, range(0x20, 0x7F)) if a is not None)
    cjk = [advance(c) for first, last in CJK for c in range(first, last + 1) if c in glyph_of]
    full, _ = most_common(cjk)
    if half_count >= 90 and len(cjk) < 1000:
        kind = "monospaced"
    elif half_count >= 90 and abs(2 * half - full) <= 2:
        kind = "duospaced"
    elif half_count >= 90:
        kind = "dualwidth"
    else:
        kind = "proportional"
    os2 = font["OS/2"]
    stored = os2.xAvgCharWidth
    averages = [average] + ([weighted] if weighted is not None else [])
    fulls = [full] if full is not None else []
    kept = False
    if kind == "dualwidth":
        # Ok at either width; the half width otherwise.
        suggested = full if abs(stored - full) <= 1 and abs(stored - half) > 1 else half
    elif kind != "proportional":
        suggested = half
    elif len(cjk) >= 1000 and min(averages) - 1 <= stored <= max(averages + fulls) + 1:
        # A proportional CJK font keeps a value from its lower average to the highest of its
        # averages and its full width.
        suggested = stored
        kept = True
    elif os2.version <= 2 and weighted is not None:
        suggested = weighted
    else:
        suggested = average
    version = font.sfntVersion
    return {
        "file": str(path), "index": index,
        "sfntVersion": "0x00010000" if version == "\0\1\0\0" else version,
        "flavour": {"woff": "WOFF", "woff2": "WOFF2"}.get(font.flavor),
        "os2Version": os2.version, "unitsPerEm": font["head"].unitsPerEm,
        "xAvgCharWidth": os2.xAvgCharWidth, "average": average, "weightedAverage": weighted,
        "halfWidth": half, "halfWidthCount": half_count, "fullWidth": full, "cjkCount": len(cjk),
        "kind": kind, "suggested": suggested, "ok": abs(os2.xAvgCharWidth - suggested) <= 1,
        "patchable": index is None and version == "\0\1\0\0", "kept": kept,
    }


def compare(program, path):
    """Returns (faces compared, differences) for one file."""
    run = subprocess.run([program, "--json", str(path)], capture_output=True, timeout=120)
    faces = json.loads(run.stdout)
    differences = []
    for face in faces:
        if "error" in face:
            differences.append(f"{path}: the check could not read it: {face['error']}")
            continue
        expected = expected_face(path, face["index"])
        wrong = [f"{key} {face.get(key)!r}, fontTools {value!r}"
                 for key, value in expected.items() if face.get(key) != value]
        if list(face) != list(expected):
            wrong.append(f"keys {list(face)}")
        if wrong:
            differences.append(f"{path}#{face['index']}: " + "; ".join(wrong))
    worst = 2 if any("error" in f for f in faces) else max(
        [0] + [0 if f["ok"] else 1 for f in faces])
    if run.returncode != worst:
        differences.append(f"{path}: exit status {run.returncode}, expected {worst}")
    return len(faces), differences


def main():
    args = corpus.arguments(__doc__)
    sources = corpus.font_files(args, "widths")
    if sources is None:
        return 1
    compared = 0
    differing = 0
    with concurrent.futures.ProcessPoolExecutor(max_workers=os.cpu_count()) as pool:
        for faces, differences in pool.map(compare, [args.program] * len(sources), sources):
            compared += faces
            differing += len(differences)
            for difference in differences:
                print(f"DIFFERS {difference}")
    print(f"widths: {len(sources)} files, {compared} faces compared with fontTools, "
          f"{compared - differing} agreeing, {differing} differing")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
