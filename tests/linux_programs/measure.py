#!/usr/bin/python3
"""Loads fonts as shipped and after `quenlo-check --fix` into programs on Linux that read
xAvgCharWidth, and checks what each makes of it at 16 px: Firefox ESR's text fields (headless),
Qt's average character width (PyQt5, offscreen), and Chromium's text fields, which are measured
and held to what Chromium does today, not judged. Then installs a fixed copy of BIZ UD Gothic
with `quenlo-check --install` into a home of its own, where fontconfig finds it by its new
family and Firefox's fields in that family are as narrow as the fixed font's. Fonts are served
from a loopback address; nothing leaves the machine. Prints the figures and writes them as
JSON, from which readme_rows.py makes the rows of docs/programs.md.

    measure.py --check build/quenlo-check [--json figures.json]"""
import argparse
import functools
import http.server
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from fontTools.ttLib import TTFont

PX = 16
COLUMNS = 20
NOTO_CJK = pathlib.Path("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc")
FONTS = [
    # name, file, member of a collection, whether it is a CJK font with 1:2 widths
    ("Noto Sans Mono CJK JP", NOTO_CJK, 5, True),
    ("BIZ UD Gothic", pathlib.Path(
        "/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf"), None, True),
    ("Noto Sans Mono", pathlib.Path(
        "/usr/share/fonts/truetype/noto/NotoSansMono-Regular.ttf"), None, False),
]
TIMEOUT = 60
INSTALLED = 1  # the font of FONTS whose fixed copy is installed for the user: BIZ UD Gothic

PAGE = """<!doctype html><html><head><meta charset="utf-8"><style>{faces}
textarea, input {{ font-size: {px}px; }}</style></head><body>{fields}
<script>
const names = {names};
Promise.all(Object.values(names).map(f => document.fonts.load("{px}px " + f))).then(() => {{
  const width = id => document.getElementById(id).getBoundingClientRect().width;
  const found = {{}};
  for (const [n, f] of Object.entries(names)) {{
    found[n] = {{textarea: width("t" + n), input: width("i" + n),
                textarea2: width("T" + n), input2: width("I" + n),
                loaded: document.fonts.check("{px}px " + f)}};
  }}
  fetch("/result", {{method: "POST", body: JSON.stringify(found)}});
}});
</script></body></html>"""


def prepare(check, scratch):
    """Each font as shipped and as fixed, as single font files for the programs, with what
    fontTools reads of them."""
    fonts = []
    for name, path, member, cjk in FONTS:
        if not path.exists():
            sys.exit(f"{path} is missing: apt-get install the font packages in packages/tests.txt")
        copy = scratch / ("fixed-" + path.name)
        shutil.copyfile(path, copy)
        fix = subprocess.run([check, "--fix", str(copy)], capture_output=True, text=True)
        if fix.returncode != 0:
            sys.exit(f"quenlo-check --fix {copy} failed: {fix.stderr}")
        entry = {"name": name, "cjk": cjk, "file": path.name, "member": member, "source": path}
        for state, source in (("shipped", path), ("fixed", copy)):
            font = TTFont(source, fontNumber=member if member is not None else -1)
            single = scratch / f"{state}-{len(fonts)}.otf"
            # Browsers load no collection, so a member is taken out of it for the page; the
            # value is read back to show that taking it out kept it.
            font.save(single)
            stored = TTFont(single)["OS/2"].xAvgCharWidth
            assert stored == font["OS/2"].xAvgCharWidth, (name, state)
            upm = font["head"].unitsPerEm
            zero = font["hmtx"][font.getBestCmap()[ord("0")]][0]
            entry[state] = {"path": str(single), "xAvgCharWidth": stored,
                            "field px": stored * PX / upm, "zero px": zero * PX / upm}
        fonts.append(entry)
    return fonts


def page_widths(command, faces, families, scratch, home=None):
    """What a page measures in a browser: for each id, a text area and an input of COLUMNS and
    of twice that in the CSS font family families[id], with the @font-face rules faces. The
    browser's home is a profile of its own, or home."""
    fields = ""
    for key, family in families.items():
        # Each field also at twice the columns: the difference is the columns alone, and what
        # remains of the narrower one is the padding.
        for suffix, columns in (("", COLUMNS), ("2", 2 * COLUMNS)):
            fields += (f'\n<div><textarea id="{"tT"[bool(suffix)]}{key}" '
                       f"cols=\"{columns}\" style='font-family: {family}'></textarea>"
                       f'<input id="{"iI"[bool(suffix)]}{key}" size="{columns}" '
                       f"style='font-family: {family}'></div>")
    (scratch / "page.html").write_text(PAGE.format(faces=faces, fields=fields, px=PX,
                                                   names=json.dumps(families)))
    result = {}
    arrived = threading.Event()

    class Handler(http.server.SimpleHTTPRequestHandler):
        def do_POST(self):
            result.update(json.loads(self.rfile.read(int(self.headers["Content-Length"]))))
            self.send_response(204)
            self.end_headers()
            arrived.set()

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(Handler, directory=str(scratch)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    profile = tempfile.mkdtemp(dir=home or scratch)
    url = f"http://127.0.0.1:{server.server_port}/page.html"
    browser = subprocess.Popen(command(profile) + [url], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL,
                               env=dict(os.environ, HOME=str(home or profile)))
    try:
        if not arrived.wait(TIMEOUT):
            sys.exit(f"{command(profile)[0]} sent no measurements within {TIMEOUT} s")
    finally:
        browser.kill()
        browser.wait()
        server.shutdown()
    for key, found in result.items():
        if not found["loaded"]:
            sys.exit(f"{command(profile)[0]} did not load the font {families[key]}")
    return {key: {field: {"width": widths[field],
                          "column": (widths[field + "2"] - widths[field]) / COLUMNS,
                          "padding": 2 * widths[field] - widths[field + "2"]}
                  for field in ("textarea", "input")}
            for key, widths in result.items()}


def browser_widths(command, fonts, scratch):
    """What the page measures in a browser: each font's text area and input, as shipped and as
    fixed."""
    faces, families = "", {}
    for i, font in enumerate(fonts):
        for state in ("shipped", "fixed"):
            family = f"f{i}{state}"
            families[family] = family
            faces += (f'\n@font-face {{ font-family: "{family}"; '
                      f'src: url("{pathlib.Path(font[state]["path"]).name}"); }}')
    found = page_widths(command, faces, families, scratch)
    return [{state: found[f"f{i}{state}"] for state in ("shipped", "fixed")}
            for i in range(len(fonts))]


def installed_copy(check, font, scratch):
    """Installs a fixed copy of the font for a user whose home is a folder of its own, and
    measures Firefox's fields in the copy's family there; with the family and what fc-match
    found for it."""
    home = scratch / "home"
    home.mkdir()
    environment = dict(os.environ, HOME=str(home))
    environment.pop("XDG_DATA_HOME", None)
    install = subprocess.run([check, "--install", str(font["source"])], capture_output=True,
                             text=True, env=environment)
    if install.returncode != 0:
        sys.exit(f"quenlo-check --install failed: {install.stderr}")
    family = install.stdout.split('installed a fixed copy for you as "')[1].split('"')[0]
    matched = subprocess.run(["fc-match", "--format", "%{family[0]}|%{file}", family],
                             capture_output=True, text=True, env=environment).stdout
    found = page_widths(firefox, "", {"installed": f'"{family}"'}, scratch, home)["installed"]
    return {"family": family, "fc-match": matched, "firefox": found}
def firefox(profile):
    return ["firefox-esr", "--headless", "--no-remote", "--profile", profile]


def chromium(profile):
    # Without the background services Chromium would try hosts that this machine cannot reach.
    return ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
            "--no-first-run", "--disable-background-networking", "--disable-component-update",
            "--disable-sync", f"--user-data-dir={profile}"]


QT_JOB = """
import json, sys
from PyQt5.QtGui import QFont, QFontDatabase, QFontMetrics, QGuiApplication
app = QGuiApplication(sys.argv[:1])
family = QFontDatabase.applicationFontFamilies(QFontDatabase.addApplicationFont(sys.argv[1]))[0]
font = QFont(family)
font.setPixelSize(int(sys.argv[2]))
metrics = QFontMetrics(font)
print(json.dumps({"average": metrics.averageCharWidth(), "zero": metrics.horizontalAdvance("0")}))
"""


def qt_widths(fonts):
    """Qt's average character width and advance of '0', one process a font, since two fonts of
    one family in one process would be taken for one."""
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen",
                       XDG_RUNTIME_DIR=tempfile.mkdtemp())
    found = []
    for font in fonts:
        found.append({})
        for state in ("shipped", "fixed"):
            run = subprocess.run([sys.executable, "-c", QT_JOB, font[state]["path"], str(PX)],
                                 capture_output=True, text=True, env=environment, check=True)
            found[-1][state] = json.loads(run.stdout)
    return found


def firefox_average(figures):
    """Firefox's average character width: the larger of the field, scaled and rounded to whole
    pixels, and the advance of '0' (hinted, as Firefox measures it: within 1/60 px)."""
    return max(round(figures["field px"]), figures["zero px"])


def check(fonts, firefox_found, qt_found, chromium_found, installed):
    """The assertions; returns what failed."""
    failures = []

    def expect(condition, what):
        if not condition:
            failures.append(what)

    # The copy installed for the user is found by its family, in the user's font folder, and
    # Firefox's fields in that family are the fixed font's.
    fixed = firefox_found[INSTALLED]["fixed"]
    expect(installed["fc-match"].startswith(installed["family"] + "|")
           and "/.local/share/fonts/" in installed["fc-match"],
           f"fc-match does not find {installed['family']} in the user's fonts: "
           f"{installed['fc-match']}")
    for field in ("textarea", "input"):
        expect(abs(installed["firefox"][field]["width"] - fixed[field]["width"]) < 0.5,
               f"Firefox's {field} in {installed['family']} is not the fixed font's: "
               f"{installed['firefox']} against {fixed}")

    for font, fx, qt, chrome in zip(fonts, firefox_found, qt_found, chromium_found):
        name = font["name"]
        fields = ("textarea", "input")
        # Each of Firefox's columns is its average width; after the fix, the advance of '0' as
        # Firefox counts it. Its padding is reported, not judged: Firefox adds the widest
        # advance less 4 px to a field whose average differs from it by more than 1 px.
        for state in ("shipped", "fixed"):
            average = firefox_average(font[state])
            for field in fields:
                expect(abs(fx[state][field]["column"] - average) < 0.1,
                       f"{name} {state}: a column of Firefox's {field} is not {average:.2f} px: "
                       f"{fx[state][field]}")
        expect(abs(firefox_average(font["fixed"]) - max(round(font["fixed"]["zero px"]),
                                                        font["fixed"]["zero px"])) < 0.1,
               f"{name}: Firefox's average after the fix is not the advance of '0'")
        # Qt's average width is the field as it is.
        expect(qt["fixed"]["average"] == qt["fixed"]["zero"],
               f"{name}: Qt's average width after the fix is not the advance of '0': {qt}")
        if font["cjk"]:
            for field in fields:
                expect(fx["shipped"][field]["width"] > fx["fixed"][field]["width"],
                       f"{name}: Firefox's {field} was not wider before the fix: {fx}")
            expect(qt["shipped"]["average"] > qt["fixed"]["average"],
                   f"{name}: Qt's average width was not wider before the fix: {qt}")
            # Chromium ignores a field over 1.7 times the advance of '0' in its text areas, and
            # adds the extra width of the bounding box to an input once it accepts the field.
            expect(abs(chrome["shipped"]["textarea"]["width"] -
                       chrome["fixed"]["textarea"]["width"]) <= 1,
                   f"{name}: Chromium's text area changed with the fix: {chrome}")
            expect(chrome["fixed"]["input"]["width"] > chrome["shipped"]["input"]["width"],
                   f"{name}: Chromium's input did not grow with the fix: {chrome}")
        else:
            # Firefox rounds the average to whole pixels: both values give the same column.
            expect(fx["shipped"] == fx["fixed"],
                   f"{name}: Firefox's fields changed, though it rounds both values alike: {fx}")
    for failure in failures:
        print("FAILED:", failure)
    return failures


def versions():
    """The programs' versions, as they name themselves."""
    found = {}
    for program in ("firefox-esr", "chromium"):
        run = subprocess.run([program, "--version"], capture_output=True, text=True,
                             env=dict(os.environ, HOME=tempfile.mkdtemp()))
        found[program] = run.stdout.strip().splitlines()[-1] if run.stdout.strip() else "unknown"
    run = subprocess.run([sys.executable, "-c", "from PyQt5.QtCore import QT_VERSION_STR; "
                          "print(QT_VERSION_STR)"], capture_output=True, text=True)
    found["qt"] = run.stdout.strip()
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", required=True, help="the quenlo-check program")
    parser.add_argument("--json", help="where to write the figures")
    args = parser.parse_args()
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        fonts = prepare(os.path.realpath(args.check), scratch)
        firefox_found = browser_widths(firefox, fonts, scratch)
        chromium_found = browser_widths(chromium, fonts, scratch)
        qt_found = qt_widths(fonts)
        installed = installed_copy(os.path.realpath(args.check), fonts[INSTALLED], scratch)
    failures = check(fonts, firefox_found, qt_found, chromium_found, installed)
    figures = []
    for font, fx, qt, chrome in zip(fonts, firefox_found, qt_found, chromium_found):
        figures.append({
            "name": font["name"], "file": font["file"], "member": font["member"],
            "xAvgCharWidth": [font["shipped"]["xAvgCharWidth"], font["fixed"]["xAvgCharWidth"]],
            "zero px": font["fixed"]["zero px"],
            "firefox": fx, "qt": qt, "chromium": chrome})
    report = {"px": PX, "columns": COLUMNS, "versions": versions(), "fonts": figures,
              "installed": installed}
    print(json.dumps(report, indent=1))
    if args.json:
        pathlib.Path(args.json).write_text(json.dumps(report, indent=1) + "\n")
    print(f"{len(FONTS)} fonts in Firefox, Chromium and Qt in {time.monotonic() - started:.0f} s; "
          f"{len(failures)} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
