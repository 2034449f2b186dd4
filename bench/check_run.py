#!/usr/bin/python3
"""Benchmarks quenlo-check: on every TrueType font under /usr/share/fonts, its median time
against a quenlo run on a copy of the same file and its peak memory; on a few fonts from small to
the largest, against a fontTools script that computes the same rules; and --fix on a fresh copy
of Noto Sans CJK's collection, which splits its shared OS/2 tables, against a plain check of a
fresh copy. Prints the figures and the worst cases. Needs hyperfine and GNU time.

    bench/check_run.py [--build build] [--runs 20] [--smoke]"""
import argparse
import os
import pathlib
import shutil
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from run import hyperfine, peak_memory_kib, pick_fonts, truetype_fonts  # noqa: E402

FONTTOOLS_JOB = HERE / "check_width_fonttools.py"
COLLECTION = pathlib.Path("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc")


def fix_against_check(check, scratch, runs):
    """--fix on a fresh copy of the collection against a check of a fresh copy, and its peak
    memory."""
    if not COLLECTION.exists():
        print(f"--fix: {COLLECTION} is missing: apt-get install fonts-noto-cjk")
        return
    copy = scratch / "fix.ttc"
    fix, plain = hyperfine([f"{check} --fix {copy}", f"{check} {copy}"], runs,
                           scratch / "fix.json", prepare=f"cp {COLLECTION} {copy}")
    shutil.copyfile(COLLECTION, copy)
    memory = peak_memory_kib([check, "--fix", str(copy)])
    print(f"--fix on {COLLECTION.name}: {fix * 1000:.2f} ms against {plain * 1000:.2f} ms for "
          f"the check, {fix / plain:.2f}x (target: at most 1.5x); peak memory {memory} KiB")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=str(HERE.parent / "build"))
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--smoke", action="store_true")
    args = parser.parse_args()
    check = os.path.realpath(os.path.join(args.build, "quenlo-check"))
    quenlo = os.path.realpath(os.path.join(args.build, "quenlo"))
    if not shutil.which("hyperfine"):
        sys.exit("hyperfine is needed: apt-get install hyperfine")
    fonts = truetype_fonts()
    if args.smoke:
        fonts = fonts[:1]
    runs = 3 if args.smoke else args.runs
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        ratios = []
        memory = []
        for font in fonts:
            copy = scratch / "copy.ttf"
            shutil.copyfile(font, copy)
            c, q = hyperfine([f"{check} {copy}", f"{quenlo} -w 500 {copy}"], runs,
                             scratch / "times.json")
            ratios.append((c / q, c, q, font))
            memory.append((peak_memory_kib([check, str(font)]), font))
        fix_against_check(check, scratch, runs)
        ratios.sort(key=lambda r: r[0])
        memory.sort(key=lambda m: m[0])
        median = ratios[len(ratios) // 2]
        worst = ratios[-1]
        print(f"quenlo-check on {len(fonts)} TrueType fonts, median of {runs} runs each:")
        print(f"  time / quenlo's on the same file: median {median[0]:.2f}x, "
              f"worst {worst[0]:.2f}x ({worst[3].name}: {worst[1] * 1000:.2f} ms against "
              f"{worst[2] * 1000:.2f} ms)")
        print(f"  peak memory: largest {memory[-1][0]} KiB ({memory[-1][1].name}), "
              f"smallest {memory[0][0]} KiB")
        print(f"{'font':36} {'size':>10} {'quenlo-check':>13} {'fontTools':>10} {'ratio':>8}")
        for font in pick_fonts(fonts, args.smoke):
            (c,) = hyperfine([f"{check} {font}"], runs, scratch / "check.json")
            (f,) = hyperfine([f"/usr/bin/python3 {FONTTOOLS_JOB} {font}"],
                             3 if args.smoke else None, scratch / "slow.json")
            print(f"{font.name[:36]:36} {font.stat().st_size / 1024:>8.0f}Ki {c * 1000:>11.2f}ms "
                  f"{f * 1000:>8.1f}ms {f / c:>7.0f}x")


if __name__ == "__main__":
    main()
