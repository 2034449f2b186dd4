#!/usr/bin/python3
"""Benchmarks quenlo against a fontTools script doing the same job and against the cost of
starting a process (/bin/true), on copies of TrueType fonts from small to the largest installed
and on a synthetic font whose OS/2 record is the last of 300. Prints a table of median times and
the ratios, then quenlo's system calls, bytes read and written and peak memory, and draws a chart
of time against font size. Needs hyperfine, strace and GNU time; the chart needs gnuplot.

    bench/run.py [--program build/quenlo] [--chart bench/time-by-size.png] [--smoke]

--smoke runs a few iterations on one font only, to show that the benchmark works."""
import argparse
import json
import os
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
FONTTOOLS_JOB = HERE / "set_width_fonttools.py"
WIDTH = 500


def truetype_fonts():
    fonts = []
    for path in pathlib.Path("/usr/share/fonts").rglob("*.ttf"):
        if path.is_file() and not path.is_symlink():
            with open(path, "rb") as f:
                if f.read(4) == b"\0\1\0\0":
                    fonts.append(path)
    return sorted(fonts, key=lambda p: p.stat().st_size)


def pick_fonts(fonts, smoke):
    """The smallest, some between, DejaVu Sans (the usual medium) and the largest."""
    if smoke:
        return fonts[:1]
    chosen = {fonts[0], fonts[-1]}
    dejavu = [p for p in fonts if p.name == "DejaVuSans.ttf"]
    chosen.update(dejavu)
    for target in (40_000, 150_000, 2_000_000):
        chosen.add(min(fonts[:-1], key=lambda p: abs(p.stat().st_size - target)))
    return sorted(chosen, key=lambda p: p.stat().st_size)


def synthetic_font(path, records=300):
    """A font whose OS/2 record comes last in a directory of `records` records."""
    os2 = struct.pack(">Hh", 4, 1000) + bytes(92)
    start = 12 + 16 * records
    directory = struct.pack(">IHHHH", 0x00010000, records, 0, 0, 0)
    body = b""
    for i in range(records):
        tag = b"OS/2" if i == records - 1 else b"t%03d" % i
        data = os2 if tag == b"OS/2" else bytes(16)
        directory += tag + struct.pack(">III", 0, start + len(body), len(data))
        body += data
    path.write_bytes(directory + body)


def hyperfine(commands, runs, export, prepare=None):
    # -i: a run's exit status is part of its answer (quenlo-check exits 1 for a font to fix).
    # prepare, a shell command, runs before every run of every command.
    args = ["hyperfine", "-N", "-i", "--warmup", "2", "--export-json", str(export), "--style",
            "none"]
    args += ["--prepare", prepare] if prepare else []
    args += ["--runs", str(runs)] if runs else ["--min-runs", "3", "--max-runs", "10"]
    subprocess.run(args + commands, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return [result["median"] for result in json.loads(export.read_text())["results"]]


def trace(program, font):
    """System calls of one run, and those that use the font's descriptor from its open to its
    close, with the bytes they read and wrote."""
    with tempfile.TemporaryDirectory() as scratch:
        log = pathlib.Path(scratch) / "strace"
        subprocess.run(["strace", "-o", str(log), program, "-w", str(WIDTH), str(font)],
                       check=True)
        lines = log.read_text().splitlines()
    calls = [m.groups() for m in (re.match(r"(\w+)\((.*)\)\s+=\s+(-?\d+)", line) for line in lines)
             if m]
    on_font = []
    fd = None
    for name, arguments, result in calls:
        if fd is None and name in ("open", "openat") and str(font) in arguments:
            fd = result
            on_font.append((name, result))
        elif fd is not None and arguments.split(",")[0].strip() == fd:
            on_font.append((name, result))
            if name == "close":
                fd = None
    names = {}
    for name, _ in on_font:
        names[name] = names.get(name, 0) + 1
    read = sum(int(r) for n, r in on_font if n in ("read", "pread64"))
    written = sum(int(r) for n, r in on_font if n in ("write", "pwrite64"))
    return len(calls), names, read, written


def peak_memory_kib(command):
    """The peak resident memory of command, from GNU time, which starts it from a small process
    (the peak survives exec, so a child forked from Python would count Python's own memory).
    The figure is the last word GNU time prints, also after a non-zero exit status."""
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, capture_output=True,
                            text=True)
    return int(result.stderr.split()[-1])


def changed_bytes(before, after):
    a, b = before.read_bytes(), after.read_bytes()
    return sum(x != y for x, y in zip(a, b)) + abs(len(a) - len(b)), len(b) - len(a)


def chart(rows, path):
    if not shutil.which("gnuplot"):
        print(f"(no gnuplot: {path} not drawn)")
        return
    with tempfile.TemporaryDirectory() as scratch:
        data = pathlib.Path(scratch) / "data"
        data.write_text("".join(f"{size / 1024} {q * 1000} {f * 1000} {floor * 1000}\n"
                                for _, size, q, f, floor in rows))
        script = f"""
set terminal pngcairo size 720,420 font ",10"
set output "{path}"
set logscale xy
set xlabel "font size (KiB)"
set ylabel "median time per run (ms)"
set key top left
set grid
plot "{data}" using 1:3 with linespoints title "fontTools: load, set, save", \\
     "{data}" using 1:2 with linespoints title "quenlo", \\
     "{data}" using 1:4 with lines dashtype 2 title "/bin/true (starting a process)"
"""
        subprocess.run(["gnuplot"], input=script, text=True, check=True)
    print(f"chart: {path}")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", default=str(HERE.parent / "build" / "quenlo"))
    parser.add_argument("--chart", default=str(HERE / "time-by-size.png"))
    parser.add_argument("--smoke", action="store_true")
    args = parser.parse_args()
    program = os.path.realpath(args.program)
    for tool in ("hyperfine", "strace"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is needed: apt-get install {tool}")

    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        fonts = [(p.name, p) for p in pick_fonts(truetype_fonts(), args.smoke)]
        if not args.smoke:
            synthetic = scratch / "synthetic-300-records.ttf"
            synthetic_font(synthetic)
            fonts.append(("synthetic, OS/2 last of 300", synthetic))
        runs = 5 if args.smoke else 200
        rows = []
        print(f"{'font':36} {'size':>10} {'quenlo':>9} {'fontTools':>10} {'/bin/true':>9} "
              f"{'fontTools/quenlo':>17} {'quenlo/floor':>13}")
        for label, source in fonts:
            ours, theirs = scratch / "ours.ttf", scratch / "theirs.ttf"
            shutil.copyfile(source, ours)
            shutil.copyfile(source, theirs)
            q, floor = hyperfine([f"{program} -w {WIDTH} {ours}", "/bin/true"], runs,
                                 scratch / "fast.json")
            size = source.stat().st_size
            changed_ours, _ = changed_bytes(source, ours)
            # The synthetic font has no real tables, so fontTools cannot load it.
            if source.parent == scratch:
                print(f"{label[:36]:36} {size / 1024:>8.0f}Ki {q * 1000:>7.2f}ms {'-':>10} "
                      f"{floor * 1000:>7.2f}ms {'-':>17} {q / floor:>12.2f}x")
                print(f"{'':36} bytes changed: quenlo {changed_ours}")
                continue
            (f,) = hyperfine([f"/usr/bin/python3 {FONTTOOLS_JOB} {theirs} {WIDTH}"],
                             3 if args.smoke else None, scratch / "slow.json")
            rows.append((label, size, q, f, floor))
            print(f"{label[:36]:36} {size / 1024:>8.0f}Ki {q * 1000:>7.2f}ms {f * 1000:>8.1f}ms "
                  f"{floor * 1000:>7.2f}ms {f / q:>16.0f}x {q / floor:>12.2f}x")
            changed_theirs, growth = changed_bytes(source, theirs)
            print(f"{'':36} bytes changed: quenlo {changed_ours}, fontTools {changed_theirs} "
                  f"(length {growth:+d})")

        largest = max((source for _, source in fonts), key=lambda p: p.stat().st_size)
        print()
        for label, source in fonts:
            copy = scratch / "traced.ttf"
            shutil.copyfile(source, copy)
            total, names, read, written = trace(program, copy)
            detail = ", ".join(f"{name} {count}" for name, count in sorted(names.items()))
            print(f"{label[:36]:36} system calls {total}; on the font: {detail}; "
                  f"{read} bytes read, {written} written")
        copy = scratch / "memory.ttf"
        shutil.copyfile(largest, copy)
        print(f"peak memory (largest font): "
              f"{peak_memory_kib([program, '-w', str(WIDTH), str(copy)])} KiB")
        if not args.smoke:
            chart(rows, args.chart)


if __name__ == "__main__":
    main()
