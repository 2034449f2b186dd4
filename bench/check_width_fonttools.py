#!/usr/bin/python3
"""The usual way to find the width a font needs, measured against quenlo-check: load the font
with fontTools and compute the same rules (those of the tests' own fontTools reader)."""
import json
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "conformance"))
from check_widths import expected_face  # noqa: E402

print(json.dumps(expected_face(pathlib.Path(sys.argv[1]), None)))
