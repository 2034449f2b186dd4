#!/usr/bin/python3
"""Times quenlo.check on one font against a run of the program alone, in the same process,
to show what the Python layer costs beyond the program. Run it with the Python of an
environment where the package is installed.

    python bench/python_api.py [FONT] [--runs 50]"""
import argparse
import statistics
import subprocess
import time

import quenlo


def median_ms(job, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        job()
        times.append(time.perf_counter() - start)
    return statistics.median(times) * 1000


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("font", nargs="?",
                        default="/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf")
    parser.add_argument("--runs", type=int, default=50)
    args = parser.parse_args()
    program = quenlo.program()
    alone = median_ms(lambda: subprocess.run([program, "--json", args.font],
                                             stdout=subprocess.PIPE), args.runs)
    api = median_ms(lambda: quenlo.check(args.font), args.runs)
    print(f"quenlo.check: {api:.2f} ms; the program alone from Python: {alone:.2f} ms; "
          f"the layer costs {api - alone:.2f} ms (median of {args.runs})")


if __name__ == "__main__":
    main()
