#!/usr/bin/python3
"""Runs the width check with --fix on a copy of every font file under a folder (or of the files
named with --files) and checks each result: only the bytes that a fix may change have changed
(an OS/2 table's xAvgCharWidth, an OS/2 record's checksum and offset, a single font's
checkSumAdjustment, and copies of OS/2 tables appended at the end); fontTools, an independent
reader, loads each written face's OS/2 table with its checksum verified and reads the width the
fix reported; a single font's whole-file sum is unchanged; the check then finds every fixed face
ok; a second run changes nothing; OpenType Sanitizer, where it accepts the original, accepts the
copy. Prints one summary line and exits non-zero on any failure."""
import concurrent.futures
import json
import os
import pathlib
import struct
import subprocess
import sys
import tempfile

from fontTools.ttLib import TTFont

import corpus


def word_sum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(f">{len(data) // 4}I", data)) & 0xFFFFFFFF


def face_offsets(data):
    if data[:4] != b"ttcf":
        return [0]
    count = struct.unpack(">I", data[8:12])[0]
    return list(struct.unpack(f">{count}I", data[12:12 + 4 * count]))


def records(data, face):
    """The face's table records: tag -> (record position, checksum, offset, length); the first
    record of a tag wins."""
    found = {}
    for i in range(struct.unpack(">H", data[face + 4:face + 6])[0]):
        position = face + 12 + 16 * i
        tag = data[position:position + 4]
        if tag not in found:
            found[tag] = (position,) + struct.unpack(">III", data[position + 4:position + 16])
    return found


def changes_allowed(before, after):
    """The failures of the rule on what a fix may change."""
    failures = []
    allowed = set()
    tables = {}  # offset -> length of each OS/2 table of the original
    single = before[:4] != b"ttcf"
    for face in face_offsets(before):
        found = records(before, face)
        if b"OS/2" in found:
            position, _, offset, length = found[b"OS/2"]
            tables[offset] = length
            allowed |= {offset + 2, offset + 3} | set(range(position + 4, position + 12))
        if single and b"head" in found:
            allowed |= set(range(found[b"head"][2] + 8, found[b"head"][2] + 12))
    changed = {i for i in range(len(before)) if before[i] != after[i]}
    if not changed <= allowed:
        failures.append(f"bytes changed outside the allowed fields: {sorted(changed - allowed)[:8]}")
    # Past the old end: padding to a multiple of 4, then copies that the records point at.
    copies = {}
    for face in face_offsets(after):
        position, _, offset, length = records(after, face)[b"OS/2"]
        if offset >= len(before):
            copies[offset] = (length, records(before, face)[b"OS/2"][2])
    end = len(before)
    for offset in sorted(copies):
        length, original = copies[offset]
        copy, source = after[offset:offset + length], before[original:original + length]
        if offset != (end + 3) // 4 * 4 or after[end:offset] != b"\0" * (offset - end):
            failures.append(f"the copy at {offset} does not follow the old end padded to 4")
        if len(copy) != length or copy[:2] + copy[4:] != source[:2] + source[4:]:
            failures.append(f"the copy at {offset} differs from its table beyond xAvgCharWidth")
        end = offset + length
    if len(after) != end:
        failures.append(f"the file ends at {len(after)}, not after its last copy at {end}")
    if single and word_sum(after) != word_sum(before):
        failures.append("the whole-file sum changed: checkSumAdjustment was not moved with it")
    return failures


def check(program, source, copy):
    """Returns the number of faces written and the failures for one file."""
    before = source.read_bytes()
    copy.write_bytes(before)
    run = subprocess.run([program, "--fix", "--json", str(copy)], capture_output=True, timeout=120)
    faces = json.loads(run.stdout)
    after = copy.read_bytes()
    if any("error" in face and "index" not in face for face in faces):
        return 0, [] if after == before else ["a file that could not be fixed was changed"]
    failures = changes_allowed(before, after)
    written = 0
    for face in faces:
        if "error" in face or face["written"] is None:
            continue
        written += 1
        number = face["index"] if face["index"] is not None else -1
        read = TTFont(str(copy), fontNumber=number, lazy=True, checkChecksums=2)["OS/2"]
        if read.xAvgCharWidth != face["written"] or face["written"] != face["suggested"]:
            failures.append(f"#{face['index']}: fontTools reads {read.xAvgCharWidth}, "
                            f"the fix wrote {face['written']}, suggested {face['suggested']}")
    worst = 2 if any("error" in f for f in faces) else max(
        [0] + [0 if f["ok"] or f["written"] is not None else 1 for f in faces])
    if run.returncode != worst:
        failures.append(f"exit status {run.returncode}, expected {worst}")
    recheck = json.loads(subprocess.run([program, "--json", str(copy)], capture_output=True,
                                        timeout=120).stdout)
    for face, again in zip(faces, recheck):
        if "error" not in face and face["written"] is not None and not again.get("ok"):
            failures.append(f"#{face['index']}: not ok when checked again")
    subprocess.run([program, "--fix", str(copy)], capture_output=True, timeout=120)
    if copy.read_bytes() != after:
        failures.append("a second --fix changed the file")
    if written and corpus.sanitizer_accepts(source) and not corpus.sanitizer_accepts(copy):
        failures.append("OpenType Sanitizer accepts the original but not the fixed copy")
    return written, failures


def main():
    args = corpus.arguments(__doc__, ("--files", str, ""))
    if args.files:
        sources = [pathlib.Path(f) for f in args.files.split(os.pathsep)]
    else:
        sources = corpus.font_files(args, "fixes")
        if sources is None:
            return 1
    written = 0
    failed = 0
    with tempfile.TemporaryDirectory() as scratch, \
            concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count()) as pool:
        jobs = {pool.submit(check, args.program, source,
                            pathlib.Path(scratch) / f"{i}{source.suffix}"): source
                for i, source in enumerate(sources)}
        for job in concurrent.futures.as_completed(jobs):
            try:
                faces, failures = job.result()
            except Exception as error:  # a font fontTools cannot read is a failure too
                faces, failures = 0, [repr(error)]
            written += faces
            if failures:
                failed += 1
                print(f"FAILED {jobs[job]}: {'; '.join(failures)}")
    print(f"fixes: {len(sources)} files, {written} faces written, {failed} files failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
