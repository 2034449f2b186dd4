#!/usr/bin/python3
"""Times the Python package as a font builder calls it. quenlo.check on one font against a run
of the program alone from the same Python, to show what the layer costs; and quenlo.fix_ttfont
on BIZ UD Gothic and a member of Noto Sans CJK, when the tables the rules read are unchanged
since the font was loaded and when hmtx and cmap were changed, beside fontTools' own
recalculation of the field and beside font.save(), which the old way cost. The runs of the
jobs compared are interleaved, so that a machine growing busier or quieter favours none. Run it
with the Python of an environment where the package is installed.

    python bench/python_api.py [--runs 30] [--smoke]"""
import argparse
import io
import statistics
import subprocess
import time

from fontTools.ttLib import TTFont

import quenlo

BIZ = "/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf"
NOTO_CJK = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"


def interleaved_ms(jobs, runs):
    """The median milliseconds of each job, the jobs taking turns run after run."""
    times = {name: [] for name in jobs}
    for _ in range(runs):
        for name, job in jobs.items():
            start = time.perf_counter()
            job()
            times[name].append(time.perf_counter() - start)
    return {name: statistics.median(found) * 1000 for name, found in times.items()}


def changed(path, number):
    """The font with hmtx and cmap decompiled and changed, as a build step leaves them."""
    font = TTFont(path, fontNumber=number)
    metrics = font["hmtx"].metrics
    first = next(iter(metrics))
    metrics[first] = (metrics[first][0] + 1, metrics[first][1])
    font["cmap"].getBestCmap()[0x10FFFD] = first
    return font


def save_ms(font, runs):
    buffer = io.BytesIO()
    start = time.perf_counter()
    for _ in range(runs):
        font.save(buffer)
        buffer.seek(0)
    return (time.perf_counter() - start) / runs * 1000


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--smoke", action="store_true", help="few runs, BIZ UD Gothic alone")
    args = parser.parse_args()
    runs = 3 if args.smoke else args.runs
    program = quenlo.program()
    times = interleaved_ms({
        "api": lambda: quenlo.check(BIZ),
        "alone": lambda: subprocess.run([program, "--json", BIZ], stdout=subprocess.PIPE),
    }, runs)
    print(f"quenlo.check: {times['api']:.2f} ms; the program alone from Python: "
          f"{times['alone']:.2f} ms; the layer costs {times['api'] - times['alone']:.2f} ms")
    fonts = [("BIZ UD Gothic", BIZ, -1)] + ([] if args.smoke else [("Noto Sans CJK #5",
                                                                     NOTO_CJK, 5)])
    for name, path, number in fonts:
        # Each job has a font of its own, since reading a table changes what the next call finds.
        loaded = TTFont(path, fontNumber=number)
        edited = changed(path, number)
        recalculated = TTFont(path, fontNumber=number)
        times = interleaved_ms({
            "unchanged": lambda: quenlo.fix_ttfont(loaded),
            "changed": lambda: quenlo.fix_ttfont(edited),
            "fontTools": lambda: recalculated["OS/2"].recalcAvgCharWidth(recalculated),
        }, runs)
        # What saving costs: the font with only hmtx and cmap decompiled, and the font as a
        # pipeline that merged or edited it holds it, every table decompiled.
        whole = changed(path, number)
        whole.ensureDecompiled()
        saves = save_ms(edited, 1), save_ms(whole, 1)
        print(f"{name}: fix_ttfont {times['unchanged']:.1f} ms unchanged, "
              f"{times['changed']:.1f} ms with hmtx and cmap changed; fontTools' recalculation "
              f"{times['fontTools']:.1f} ms; font.save() {saves[0]:.0f} ms with those two "
              f"decompiled, {saves[1]:.0f} ms with every table decompiled (changed: "
              f"{times['changed'] / saves[0]:.0%} and {times['changed'] / saves[1]:.1%} of it)")


if __name__ == "__main__":
    main()
