"""Quenlo: the xAvgCharWidth each face of a font needs, and the fix, from Python.

The functions call the ``quenlo-check`` program bundled with this package and read its JSON,
so the rules are those of the program, the one implementation of them. Every path may be a
``str``, ``bytes`` or ``os.PathLike``. A file that cannot be read or fixed raises
:class:`FontError`, a :class:`ValueError`; nothing else of the program's failures reaches the
caller. The program never asks or waits: its output always goes to this package.
"""
from __future__ import annotations

import dataclasses
import io
import json
import os
import subprocess
import sys
from pathlib import Path
from typing import Any, Dict, List, Optional, Sequence, Union

__all__ = ["Face", "FontError", "check", "check_bytes", "fix", "fix_ttfont", "program"]

PathType = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

_MAX_WIDTH = 32767


class FontError(ValueError):
    """A font file that cannot be read or fixed.

    ``file`` names it as the program does (``"-"`` for bytes), ``reason`` says why, in the
    program's words.
    """

    def __init__(self, file: str, reason: str) -> None:
        super().__init__(f"{file}: {reason}")
        self.file = file
        self.reason = reason


@dataclasses.dataclass(frozen=True)
class Face:
    """One face of a font, as ``quenlo-check --json`` describes it, keys in snake_case.

    ``file`` holds a name's bytes that are not UTF-8 as lone surrogates, as Python's own file
    names do: ``os.fsencode(face.file)`` gives the exact name back. ``written`` and ``output``
    are set after :func:`fix`.
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
    written: Optional[int] = None
    output: Optional[str] = None


def program(name: str = "quenlo-check") -> str:
    """The path of a bundled program: ``quenlo-check`` or ``quenlo``."""
    suffix = ".exe" if sys.platform == "win32" else ""
    path = Path(__file__).resolve().parent / "bin" / (name + suffix)
    if not path.is_file():
        raise FileNotFoundError(f"the bundled {name} is missing from {path.parent}")
    return str(path)


def _snake(key: str) -> str:
    return "".join("_" + c.lower() if c.isupper() else c for c in key)


def _face(found: Dict[str, Any]) -> Face:
    return Face(**{_snake(key): value for key, value in found.items()})


def _argument(path: PathType) -> Union[str, bytes]:
    # POSIX names are bytes, which any name fits; Windows names are text.
    return os.fsdecode(path) if sys.platform == "win32" else os.fsencode(path)


def _paths(fonts: Union[PathType, Sequence[PathType]]) -> List[Union[str, bytes]]:
    if isinstance(fonts, (str, bytes, os.PathLike)):
        return [_argument(fonts)]
    return [_argument(font) for font in fonts]


def _run(options: List[Union[str, bytes]], files: List[Union[str, bytes]],
         data: Optional[bytes] = None) -> List[Face]:
    """Runs quenlo-check --json with the options and, after "--", the files; its faces."""
    # No console window flashes up, also from pythonw.
    creation = getattr(subprocess, "CREATE_NO_WINDOW", 0)
    command = [program(), "--json", *options, "--", *files]
    run = subprocess.run(command, input=data if data is not None else b"",
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, creationflags=creation)
    problem = run.stderr.decode("utf-8", "replace").strip()
    try:
        found = json.loads(run.stdout.decode("utf-8"))
    except ValueError:
        raise FontError("quenlo-check", problem or f"exit status {run.returncode}") from None
    faces = []
    for item in found:
        if "error" in item:
            member = f"#{item['index']}: " if item.get("index") is not None else ""
            raise FontError(item["file"], member + item["error"])
        faces.append(_face(item))
    if run.returncode == 2 and not faces:
        raise FontError("quenlo-check", problem)
    return faces


def check(fonts: Union[PathType, Sequence[PathType]]) -> List[Face]:
    """Each face of each font: a path, or a list of them; nothing is written."""
    return _run([], _paths(fonts))


def check_bytes(data: bytes) -> List[Face]:
    """Each face of the font held in data, which the program reads from its standard input."""
    return _run([], ["-"], bytes(data))


def fix(fonts: Union[PathType, Sequence[PathType]],
        output: Optional[PathType] = None) -> List[Face]:
    """Writes the width each face needs, as ``quenlo-check --fix`` does: into the fonts in
    place, or with output, into output (a file for one font, an existing folder for several),
    leaving the fonts as they were. Returns each face as it was found, with ``written`` and,
    with output, ``output``."""
    options: List[Union[str, bytes]] = ["--fix"]
    if output is not None:
        options += ["--output", _argument(output)]
    return _run(options, _paths(fonts))


def fix_ttfont(font: Any) -> Optional[int]:
    """Sets ``font["OS/2"].xAvgCharWidth`` of a fontTools ``TTFont`` (a single font, or one
    loaded from a collection with ``fontNumber``) to the value the rules want, and returns it;
    returns None when the face needs nothing. It does not save the font. fontTools is needed
    by this function only."""
    buffer = io.BytesIO()
    # Saving to the buffer would stamp the font's head table with the time; it stays as it was.
    stamp = font.recalcTimestamp
    font.recalcTimestamp = False
    try:
        font.save(buffer)
    finally:
        font.recalcTimestamp = stamp
    (face,) = check_bytes(buffer.getvalue())
    if face.ok:
        return None
    if not 1 <= face.suggested <= _MAX_WIDTH:
        raise FontError("-", f"the width it needs, {face.suggested}, lies outside 1..{_MAX_WIDTH}")
    font["OS/2"].xAvgCharWidth = face.suggested
    return face.suggested
