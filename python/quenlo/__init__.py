"""Quenlo: the xAvgCharWidth each face of a font needs, and the fix, from Python.

The functions run the ``quenlo-check`` program installed with this package (pip installs the
programs as the ``quenlo-check`` and ``quenlo`` commands themselves) and read its JSON, so the
rules are those of the program, the one implementation of them. Every path may be a ``str``,
``bytes`` or ``os.PathLike``, and is always a path: ``"-"`` names a file, never standard input.
A font that cannot be read or fixed raises :class:`FontError`, a :class:`ValueError` that also
carries the faces read (and written) beside it. The program never asks or waits and opens no
window: its output always goes to this package.

What a call costs beyond the program's own run is about 0.2 ms; the program starts in about
1 ms. :func:`fix_ttfont` hands the program only the tables the rules read, as fontTools read
them: a few milliseconds when they are unchanged since the font was loaded (``bench/python_api.py``
measures it).
"""
from __future__ import annotations

import dataclasses
import functools
import importlib.metadata
import json
import os
import pathlib
import struct
import subprocess
import sys
from typing import Any, Dict, List, Optional, Sequence, Tuple, Union

__all__ = ["Face", "FontError", "check", "check_bytes", "fix", "fix_ttfont", "program"]

PathType = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

_MAX_WIDTH = 32767
# The tables that the rules read; hmtx comes first, as compiling it sets hhea's
# numberOfHMetrics, as saving the font would.
_RULE_TABLES = ("hmtx", "OS/2", "cmap", "head", "hhea", "maxp")


@dataclasses.dataclass(frozen=True)
class Face:
    """One face of a font, as ``quenlo-check --json`` describes it, keys in snake_case.

    ``file`` holds a name's bytes that are not UTF-8 as lone surrogates, as Python's own file
    names do: ``os.fsencode(face.file)`` gives the exact name back. ``kept`` is true when the
    face keeps its stored value as one the rules allow a proportional CJK face. ``flavour`` is
    ``"WOFF"`` or ``"WOFF2"`` for a web font, else None. ``written`` and
    ``output`` are set after a fix: the value now stored, or None when the face kept its own.
    """

    file: str
    index: Optional[int]
    sfnt_version: str
    os2_version: int
    units_per_em: int
    x_avg_char_width: int
    average: int
    weighted_average: Optional[int]
    half_width: Optional[int]
    half_width_count: int
    full_width: Optional[int]
    cjk_count: int
    kind: str
    suggested: int
    ok: bool
    patchable: bool
    kept: bool
    flavour: Optional[str] = None
    written: Optional[int] = None
    output: Optional[str] = None

    def __str__(self) -> str:
        """One line for a build log: ``Family Style: 1023 -> 600 (dual-width 600:1000)``, or
        ``... : 600 ok (...)``; the new value is the one written, else the one suggested."""
        name = self.file + (f"#{self.index}" if self.index is not None else "")
        widths = {"monospaced": f"monospaced {self.half_width}",
                  "duospaced": f"1:2 {self.half_width}:{self.full_width}",
                  "dualwidth": f"dual-width {self.half_width}:{self.full_width}"}
        kind = widths.get(self.kind, "proportional, kept" if self.kept else "proportional")
        if self.ok or (self.written is None and self.output is not None):
            return f"{name}: {self.x_avg_char_width} ok ({kind})"
        new = self.written if self.written is not None else self.suggested
        return f"{name}: {self.x_avg_char_width} -> {new} ({kind})"


class FontError(ValueError):
    """A font, or a member of a collection, that cannot be read or fixed.

    ``file`` and ``reason`` name the first failure, in the program's words. ``failures`` lists
    every one as ``(file, index, reason)``, with the member's ``index`` in a collection, else
    None. ``faces`` holds every face that was read beside them, as the call would have returned
    them: after :func:`fix`, with what was written.
    """

    def __init__(self, file: str, reason: str,
                 failures: Sequence[Tuple[str, Optional[int], str]] = (),
                 faces: Sequence[Face] = ()) -> None:
        more = f" (and {len(failures) - 1} more)" if len(failures) > 1 else ""
        super().__init__(f"{file}: {reason}{more}")
        self.file = file
        self.reason = reason
        self.failures = list(failures) or [(file, None, reason)]
        self.faces = list(faces)


@functools.lru_cache(maxsize=None)
def program(name: str = "quenlo-check") -> str:
    """The path of a program that this package installed: ``quenlo-check`` or ``quenlo``."""
    wanted = name + (".exe" if sys.platform == "win32" else "")
    try:
        files = importlib.metadata.files("quenlo") or []
    except importlib.metadata.PackageNotFoundError:
        files = []
    for entry in files:
        if entry.name == wanted:
            path = pathlib.Path(str(entry.locate())).resolve()
            if path.is_file():
                return str(path)
    raise FileNotFoundError(f"the {wanted} of the quenlo package is not installed; reinstall it")


def _snake(key: str) -> str:
    return "".join("_" + c.lower() if c.isupper() else c for c in key)


def _argument(path: PathType) -> Union[str, bytes]:
    # POSIX names are bytes, which any name fits; Windows names are text. A name that the program
    # would read as standard input is given as the path of that file in the current folder.
    name = os.fsdecode(path) if sys.platform == "win32" else os.fsencode(path)
    if name in ("-", b"-"):
        return os.path.join(os.curdir if isinstance(name, str) else os.fsencode(os.curdir), name)
    return name


def _paths(fonts: Union[PathType, Sequence[PathType]]) -> List[Union[str, bytes]]:
    if isinstance(fonts, (str, bytes, os.PathLike)):
        return [_argument(fonts)]
    return [_argument(font) for font in fonts]


def _run(options: List[Union[str, bytes]], files: List[Union[str, bytes]],
         data: Optional[bytes] = None) -> List[Face]:
    """Runs quenlo-check --json with the options and, after "--", the files; returns every
    face, or raises FontError for what failed with the faces read beside it."""
    if not files:
        return []
    # No console window flashes up, also from pythonw.
    creation = getattr(subprocess, "CREATE_NO_WINDOW", 0)
    command = [program(), "--json", *options, "--", *files]
    run = subprocess.run(command, input=data if data is not None else b"",
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, creationflags=creation)
    # The first line of what the program says, without its name: the usage it adds to a wrong
    # command line says nothing to a caller of these functions.
    problem = run.stderr.decode("utf-8", "replace").strip().split("\n")[0]
    problem = problem[len("quenlo-check: "):] if problem.startswith("quenlo-check: ") else problem
    try:
        found = json.loads(run.stdout.decode("utf-8"))
    except ValueError:
        raise FontError("quenlo-check", problem or f"exit status {run.returncode}") from None
    faces = [Face(**{_snake(key): value for key, value in item.items()})
             for item in found if "error" not in item]
    failures = [(item["file"], item.get("index"), item["error"]) for item in found
                if "error" in item]
    if not failures and run.returncode == 2 and not faces:
        failures = [("quenlo-check", None, problem)]
    if failures:
        file, index, reason = failures[0]
        raise FontError(file, (f"#{index}: " if index is not None else "") + reason, failures,
                        faces)
    return faces


def _rules(dual_width: str) -> List[Union[str, bytes]]:
    """The options of the rules: which width a dual-width face gets, "half" or "full"."""
    if dual_width not in ("half", "full"):
        raise ValueError(f"dual_width is 'half' or 'full', not {dual_width!r}")
    return ["--dual-width", dual_width]


def check(fonts: Union[PathType, Sequence[PathType]], dual_width: str = "half") -> List[Face]:
    """Each face of each font: a path, or a list of them (an empty list gives an empty list);
    nothing is written. Raises FontError, with the faces read, when a font cannot be read.
    ``dual_width`` is the width a dual-width face (``kind`` "dualwidth") that holds neither of
    its widths is suggested: "half", which cell programs need, or "full"."""
    return _run(_rules(dual_width), _paths(fonts))


def check_bytes(data: bytes, dual_width: str = "half") -> List[Face]:
    """Each face of the font held in data, which the program reads from its standard input."""
    return _run(_rules(dual_width), ["-"], bytes(data))


def fix(fonts: Union[PathType, Sequence[PathType]],
        output: Optional[PathType] = None, dual_width: str = "half") -> List[Face]:
    """Writes the width each face needs, as ``quenlo-check --fix`` does: into the fonts in
    place, or with output, into output (a file for one font, an existing folder for several),
    leaving the fonts as they were. Returns each face as it was found, with ``written`` and,
    with output, ``output``. When some fonts cannot be read or fixed, the others are still
    fixed: FontError is raised for those that failed, and its ``faces`` holds every face of the
    others with what was written."""
    options: List[Union[str, bytes]] = ["--fix", *_rules(dual_width)]
    if output is not None:
        options += ["--output", _argument(output)]
    return _run(options, _paths(fonts))


def _compiled(font: Any, tag: str) -> bytes:
    # Saving would also recompute bounding boxes and the time, which the rules never read and
    # which can cost reading every outline; compiling one table does neither.
    boxes, stamp = font.recalcBBoxes, font.recalcTimestamp
    font.recalcBBoxes = font.recalcTimestamp = False
    try:
        return font[tag].compile(font)
    finally:
        font.recalcBBoxes, font.recalcTimestamp = boxes, stamp


def _rule_font(font: Any) -> bytes:
    """A font of the tables the rules read, as the TTFont holds them: the bytes fontTools read
    for a table it has not decompiled, whatever the font's flavor (WOFF, WOFF2), and otherwise
    the table compiled."""
    reader = getattr(font, "reader", None)
    tables: Dict[str, bytes] = {}
    for tag in _RULE_TABLES:
        if tag not in font:
            continue
        raw = reader is not None and tag in reader
        if raw and not font.isLoaded(tag):
            tables[tag] = bytes(reader[tag])
        elif raw and tag == "OS/2":
            # The rules read its version and xAvgCharWidth only; compiling it would read cmap.
            os2 = font["OS/2"]
            tables[tag] = struct.pack(">Hh", os2.version, os2.xAvgCharWidth) + reader[tag][4:]
        else:
            tables[tag] = _compiled(font, tag)
    tags = sorted(tables)
    data = struct.pack(">4sHHHH", font.sfntVersion.encode("latin-1"), len(tags), 0, 0, 0)
    body = b""
    for tag in tags:
        table = tables[tag]
        data += struct.pack(">4sIII", tag.encode("latin-1"), 0, 12 + 16 * len(tags) + len(body),
                            len(table))
        body += table + bytes(-len(table) % 4)
    return data + body


def _built_name(font: Any) -> str:
    """A font built in memory, which has no file, by its family and style, or "-"."""
    if "name" not in font:
        return "-"
    names = font["name"]
    parts = [names.getBestFamilyName(), names.getBestSubFamilyName()]
    return " ".join(part for part in parts if part) or "-"


def fix_ttfont(font: Any, dual_width: str = "half") -> Face:
    """Sets ``font["OS/2"].xAvgCharWidth`` of a fontTools ``TTFont`` (a single font, or one
    loaded from a collection with ``fontNumber``, of any flavor) to the value the rules want,
    and returns the face as the program found it, named by the font's file when fontTools knows
    it, else by its family and style (a font built in memory): ``written`` is the value set, or None when the face kept its value, because it was
    right (``ok``) or is one the rules keep on purpose (``kept``). It does not save the font.
    ``dual_width`` is as for :func:`check`. fontTools is needed by this function only."""
    file = getattr(getattr(getattr(font, "reader", None), "file", None), "name", None)
    name = os.fsdecode(file) if isinstance(file, (str, bytes)) else _built_name(font)
    try:
        (face,) = _run(_rules(dual_width), ["-"], _rule_font(font))
    except FontError as error:
        raise FontError(name, error.reason) from None
    face = dataclasses.replace(face, file=name)
    if face.ok:
        return face
    if not 1 <= face.suggested <= _MAX_WIDTH:
        raise FontError(name, f"the width it needs, {face.suggested}, lies outside 1..{_MAX_WIDTH}",
                        faces=[face])
    font["OS/2"].xAvgCharWidth = face.suggested
    return dataclasses.replace(face, written=face.suggested)
