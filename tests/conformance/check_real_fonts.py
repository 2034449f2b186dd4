#!/usr/bin/python3
"""Runs the program on a copy of every font file under a folder and checks each result with
fontTools, an independent reader: TrueType files get the width in xAvgCharWidth, keep their
length and differ only in the field's two bytes; CFF fonts and collections are refused and stay
byte-identical. Where OpenType Sanitizer accepts a font, it must accept the patched copy too.
Prints one summary line and exits non-zero on any failure."""
import concurrent.futures
import os
import pathlib
import random
import subprocess
import sys
import tempfile

from fontTools.ttLib import TTFont

import corpus

FORMAT_MESSAGE = b"Incorrect TTF file format.\n"
REFUSED_TAGS = {b"OTTO": "OTTO", b"ttcf": "ttcf", b"true": "true"}


def check(program, source, copy, width):
    """Returns the file's kind, its failures, and whether OpenType Sanitizer accepts the patched
    copy (None when it does not accept the original, or is not installed)."""
    original = source.read_bytes()
    copy.write_bytes(original)
    run = subprocess.run([program, "-w", str(width), str(copy)], capture_output=True, timeout=60)
    after = copy.read_bytes()
    tag = original[:4]
    failures = []
    if tag in REFUSED_TAGS:
        if (run.returncode, run.stderr, after) != (1, FORMAT_MESSAGE, original):
            failures.append(f"not refused cleanly: status {run.returncode}, {run.stderr!r}")
        return REFUSED_TAGS[tag], failures, None
    if tag != b"\0\1\0\0":
        return "other", [f"unexpected sfntVersion {tag!r}"], None

    offset = TTFont(str(source), lazy=True).reader.tables["OS/2"].offset
    if (run.returncode, run.stdout, run.stderr) != (0, b"", b""):
        failures.append(f"status {run.returncode}, stderr {run.stderr!r}")
    if len(after) != len(original):
        failures.append(f"length changed from {len(original)} to {len(after)}")
    changed = [i for i in range(min(len(after), len(original))) if after[i] != original[i]]
    if not set(changed) <= {offset + 2, offset + 3}:
        failures.append(f"bytes changed outside the field at {offset + 2}: {changed[:8]}")
    if after[offset + 2:offset + 4] != width.to_bytes(2, "big"):
        failures.append("the field does not hold the width high byte first")
    read_back = TTFont(str(copy), lazy=True)["OS/2"].xAvgCharWidth
    if read_back != width:
        failures.append(f"fontTools reads xAvgCharWidth {read_back}, not {width}")
    again = subprocess.run([program, "-w", str(width), str(copy)], capture_output=True, timeout=60)
    if again.returncode != 0 or copy.read_bytes() != after:
        failures.append("a second run with the same width changed the file")
    sanitized = None
    if corpus.sanitizer_accepts(source):
        sanitized = corpus.sanitizer_accepts(copy)
        if not sanitized:
            failures.append("OpenType Sanitizer accepts the original but not the patched copy")
    return "TrueType", failures, sanitized


def main():
    args = corpus.arguments(__doc__, ("--seed", int, 2026))
    sources = corpus.font_files(args, "real fonts")
    if sources is None:
        return 1
    rng = random.Random(args.seed)
    widths = [rng.randint(1, 32767) for _ in sources]

    counts = {}
    failed = 0
    sanitizer_originals = 0
    sanitizer_copies = 0
    with tempfile.TemporaryDirectory() as scratch, \
            concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count()) as pool:
        jobs = {pool.submit(check, args.program, source,
                            pathlib.Path(scratch) / f"{i}{source.suffix}", width): source
                for i, (source, width) in enumerate(zip(sources, widths))}
        for job in concurrent.futures.as_completed(jobs):
            try:
                kind, failures, accepted = job.result()
            except Exception as error:  # a font fontTools cannot read is a failure too
                kind, failures, accepted = "error", [repr(error)], None
            counts[kind] = counts.get(kind, 0) + 1
            sanitizer_originals += accepted is not None
            sanitizer_copies += accepted is True
            if failures:
                failed += 1
                print(f"FAILED {jobs[job]}: {'; '.join(failures)}")

    largest = max(sources, key=lambda p: p.stat().st_size)
    refused = ", ".join(f"{counts[t]} {t}" for t in REFUSED_TAGS.values() if t in counts)
    print(f"real fonts: {len(sources)} files, {counts.get('TrueType', 0)} TrueType patched, "
          f"{sum(counts.get(t, 0) for t in REFUSED_TAGS.values())} refused ({refused or 'none'}); "
          f"largest {largest.name} at {largest.stat().st_size / 2**20:.1f} MiB; "
          f"OpenType Sanitizer accepted {sanitizer_originals} originals and "
          f"{sanitizer_copies} of their patched copies; "
          f"{failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
