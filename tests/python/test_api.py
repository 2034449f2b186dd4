"""The Python package as a font builder uses it, installed from its wheel into a fresh virtual
environment: its results against the program's own JSON, fixes into outputs and in place,
fontTools fonts, and the errors it raises. QUENLO_CHECK names the program built from this
source, which the results are held to."""
import io
import json
import os
import pathlib
import shutil
import struct
import subprocess

import pytest
from fontTools.ttLib import TTFont

import quenlo

BIZ = pathlib.Path("/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf")
NOTO_CJK = pathlib.Path("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc")
VL = pathlib.Path("/usr/share/fonts/truetype/vlgothic/VL-PGothic-Regular.ttf")
CHECK = os.environ["QUENLO_CHECK"]
KEYS = ["file", "index", "sfntVersion", "os2Version", "unitsPerEm", "xAvgCharWidth", "average",
        "weightedAverage", "halfWidth", "halfWidthCount", "fullWidth", "cjkCount", "kind",
        "suggested", "ok", "patchable", "kept", "flavour"]


def program_json(*arguments):
    run = subprocess.run([CHECK, "--json", *arguments], capture_output=True, check=False)
    return json.loads(run.stdout)


def as_json(face):
    return {key: getattr(face, "".join("_" + c.lower() if c.isupper() else c for c in key))
            for key in KEYS}


def test_check_gives_what_the_program_gives(tmp_path):
    fonts = [str(BIZ), str(NOTO_CJK), str(VL)]
    assert [as_json(face) for face in quenlo.check(fonts)] == program_json(*fonts)
    assert [as_json(face) for face in quenlo.check(pathlib.Path(BIZ))] == program_json(str(BIZ))
    data = NOTO_CJK.read_bytes()
    from_bytes = [as_json(face) for face in quenlo.check_bytes(data)]
    assert from_bytes == [dict(face, file="-") for face in program_json(str(NOTO_CJK))]
    assert dataclass_is_frozen(quenlo.check(BIZ)[0])


def test_same_bytes_give_the_same_verdict_from_a_file_a_pipe_and_bytes(tmp_path):
    """A damaged record of a table the check reads no more than a field of (post, claiming
    4,294,959,060 bytes past 4 GiB) must not make a stream be refused that a file is not."""
    data = bytearray(BIZ.read_bytes())
    for at in range(12, 12 + 16 * struct.unpack(">H", data[4:6])[0], 16):
        if data[at:at + 4] == b"post":
            data[at + 12:at + 16] = struct.pack(">I", 4294959060)
    damaged = tmp_path / "damaged.ttf"
    damaged.write_bytes(bytes(data))
    web = tmp_path / "font.woff2"
    font = TTFont("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf")
    font.flavor = "woff2"
    font.save(web)
    for path in (damaged, web):
        from_file = [dict(as_json(face), file="-") for face in quenlo.check(path)]
        assert [as_json(face) for face in quenlo.check_bytes(path.read_bytes())] == from_file
    assert quenlo.check(web)[0].flavour == "WOFF2"


def dataclass_is_frozen(face):
    try:
        face.ok = True
    except AttributeError:
        return True
    return False


def test_fix_to_an_output_leaves_the_font_and_equals_a_fix_in_place(tmp_path):
    for font in (BIZ, NOTO_CJK):
        source = tmp_path / font.name
        shutil.copyfile(font, source)
        output = tmp_path / ("out-" + font.name)
        faces = quenlo.fix(source, output=output)
        assert source.read_bytes() == font.read_bytes()
        assert all(face.output == str(output) for face in faces)
        in_place = tmp_path / ("copy-" + font.name)
        shutil.copyfile(font, in_place)
        written = [face.written for face in quenlo.fix([in_place])]
        assert written == [face.written for face in faces]
        assert output.read_bytes() == in_place.read_bytes()
        assert all(face.ok for face in quenlo.check(output))


@pytest.mark.parametrize("font, number", [(BIZ, -1), (NOTO_CJK, 5)])
def test_fix_ttfont_sets_what_the_fix_writes(tmp_path, font, number):
    # A TrueType font, and a CFF member of a collection.
    ttfont = TTFont(font, fontNumber=number)
    face = quenlo.fix_ttfont(ttfont)
    copy = tmp_path / "copy"
    shutil.copyfile(font, copy)
    index = None if number < 0 else number
    fixed = [face for face in quenlo.fix(copy) if face.index == index][0]
    assert face.written == fixed.written == ttfont["OS/2"].xAvgCharWidth
    assert face.file == str(font) and face.index is None
    saved = tmp_path / "saved.otf"
    ttfont.save(saved)
    assert quenlo.check(saved)[0].ok
    again = quenlo.fix_ttfont(TTFont(saved))
    assert again.written is None and again.ok


def test_fix_ttfont_says_why_it_writes_nothing():
    # Noto Sans CJK JP keeps its 979 on purpose; BIZ UD Gothic, once fixed, is simply right.
    kept = quenlo.fix_ttfont(TTFont(NOTO_CJK, fontNumber=0))
    assert (kept.written, kept.ok, kept.kept) == (None, True, True)
    ttfont = TTFont(BIZ)
    assert quenlo.fix_ttfont(ttfont).written == 1024
    right = quenlo.fix_ttfont(ttfont)
    assert (right.written, right.ok, right.kept) == (None, True, False)


def test_fix_ttfont_gives_a_dual_width_face_the_width_chosen():
    # BIZ UD Gothic with its ideographs narrowed to 1700 of 2048, as a pipeline that narrows CJK
    # glyphs after merging does: ASCII at 1024, CJK at 1700, a stale 1962.
    def narrowed():
        ttfont = TTFont(BIZ)
        metrics = ttfont["hmtx"].metrics
        for name, (advance, lsb) in metrics.items():
            if advance == 2048:
                metrics[name] = (1700, lsb)
        return ttfont
    half = quenlo.fix_ttfont(narrowed())
    assert (half.kind, half.written) == ("dualwidth", 1024)
    assert quenlo.fix_ttfont(narrowed(), dual_width="full").written == 1700
    # Built in memory, with no file: named by its family and style in the line for a build log.
    memory = io.BytesIO()
    narrowed().save(memory)
    built = TTFont(io.BytesIO(memory.getvalue()))
    assert str(quenlo.fix_ttfont(built)) == "BIZ UDGothic Regular: 1962 -> 1024 (dual-width 1024:1700)"
    with pytest.raises(ValueError):
        quenlo.fix_ttfont(narrowed(), dual_width="wide")


def test_fix_ttfont_reads_the_tables_as_changed_and_in_every_flavor(tmp_path):
    # A table changed in memory is what the program reads: hmtx with every advance doubled.
    ttfont = TTFont(BIZ)
    metrics = ttfont["hmtx"].metrics
    for glyph, (advance, bearing) in metrics.items():
        metrics[glyph] = (2 * advance, bearing)
    assert quenlo.fix_ttfont(ttfont).written == 2048
    for flavor in ("woff", "woff2"):
        packed = tmp_path / ("font." + flavor)
        original = TTFont(BIZ)
        original.flavor = flavor
        original.save(packed)
        ttfont = TTFont(packed)
        assert quenlo.fix_ttfont(ttfont).written == 1024
        ttfont.save(tmp_path / ("fixed." + flavor))
        reloaded = TTFont(tmp_path / ("fixed." + flavor))
        assert reloaded.flavor == flavor and reloaded["OS/2"].xAvgCharWidth == 1024


def test_fonts_that_cannot_be_read_raise_font_error(tmp_path):
    (tmp_path / "folder").mkdir()
    (tmp_path / "text.ttf").write_bytes(b"not a font at all")
    cases = [(tmp_path / "missing.ttf", "there is no such file"),
             (tmp_path / "folder", "a directory"),
             (tmp_path / "text.ttf", "not a TrueType or CFF font")]
    for path, reason in cases:
        with pytest.raises(quenlo.FontError) as error:
            quenlo.check(path)
        assert isinstance(error.value, ValueError)
        assert error.value.file == str(path) and reason in error.value.reason
    with pytest.raises(quenlo.FontError):
        quenlo.check_bytes(b"")
    with pytest.raises(quenlo.FontError):
        quenlo.fix(tmp_path / "text.ttf", output=tmp_path / "out.ttf")
    assert not (tmp_path / "out.ttf").exists()


def test_a_failure_leaves_the_faces_that_were_fixed_visible(tmp_path):
    (tmp_path / "out").mkdir()
    font = tmp_path / "a.ttf"
    shutil.copyfile(BIZ, font)
    with pytest.raises(quenlo.FontError) as error:
        quenlo.fix([font, tmp_path / "missing.ttf"], output=tmp_path / "out")
    assert error.value.failures == [(str(tmp_path / "missing.ttf"), None,
                                     "cannot open it: there is no such file")]
    assert [(face.written, face.output) for face in error.value.faces] == [
        (1024, str(tmp_path / "out" / "a.ttf"))]
    assert quenlo.check(tmp_path / "out" / "a.ttf")[0].ok


def test_names_are_paths(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    shutil.copyfile(BIZ, tmp_path / "-")
    (face,) = quenlo.check("-")
    assert face.file == os.path.join(".", "-") and not face.ok
    assert quenlo.check([]) == [] and quenlo.fix([]) == []
    # A TTFont is named by its file, not by the standard input the program reads it from.
    ttfont = TTFont(BIZ)
    del ttfont["hmtx"]
    with pytest.raises(quenlo.FontError) as error:
        quenlo.fix_ttfont(ttfont)
    assert (error.value.file, error.value.reason) == (str(BIZ), "no 'hmtx' table")


def test_commands_run_the_bundled_programs(tmp_path):
    copy = tmp_path / "a.ttf"
    shutil.copyfile(BIZ, copy)
    scripts = pathlib.Path(os.environ["QUENLO_VENV"]) / "bin"
    # The commands are the programs themselves, not Python scripts that start them.
    for command in ("quenlo-check", "quenlo"):
        assert (scripts / command).read_bytes()[:4] == b"\x7fELF"
        assert quenlo.program(command) == str((scripts / command).resolve())
    assert subprocess.run([scripts / "quenlo-check", copy], capture_output=True).returncode == 1
    assert subprocess.run([scripts / "quenlo", "-w", "1024", copy]).returncode == 0
    module = subprocess.run([scripts / "python", "-m", "quenlo", copy], capture_output=True)
    assert module.returncode == 0 and b"ok" in module.stdout
