"""The real-font corpus that the conformance scripts share: the command line that names the
program and the fonts' folder, every font file found there, and OpenType Sanitizer's verdict."""
import argparse
import os
import pathlib
import shutil
import subprocess
import tempfile

SUFFIXES = {".ttf", ".otf", ".ttc", ".otc"}


def arguments(description, *extra):
    """Parses --program, --fonts and --min-files, and the extra (name, type, default) options."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--program", required=True)
    parser.add_argument("--fonts", default="/usr/share/fonts")
    parser.add_argument("--min-files", type=int, default=1)
    for name, kind, default in extra:
        parser.add_argument(name, type=kind, default=default)
    return parser.parse_args()


def font_files(args, name):
    """Every font file under args.fonts, sorted; None, with a line saying so, when there are
    fewer than args.min_files."""
    sources = sorted(p for p in pathlib.Path(args.fonts).rglob("*")
                     if p.suffix.lower() in SUFFIXES and p.is_file() and not p.is_symlink())
    if len(sources) < args.min_files:
        print(f"{name}: only {len(sources)} font files under {args.fonts}, "
              f"{args.min_files} wanted: install the font packages of packages/tests.txt")
        return None
    return sources


def sanitizer_accepts(path):
    """Whether OpenType Sanitizer accepts the font; None when it is not installed."""
    if not shutil.which("ots-sanitize"):
        return None
    with tempfile.TemporaryDirectory() as scratch:
        result = subprocess.run(["ots-sanitize", str(path), os.path.join(scratch, "out")],
                                capture_output=True)
    return result.returncode == 0
