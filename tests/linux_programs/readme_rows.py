#!/usr/bin/python3
"""Writes the table of Linux programs in docs/programs.md from the figures that measure.py
wrote, between the lines <!-- linux programs --> and <!-- end of linux programs -->, so that no
figure is typed by hand.

    readme_rows.py build/linux_programs.json [docs/programs.md]"""
import json
import pathlib
import re
import sys

BEGIN = "<!-- linux programs -->"
END = "<!-- end of linux programs -->"


def px(value):
    return f"{value:g} px" if value == round(value) else f"{value:.2f} px"


def fields(before, after, padding=False):
    """'text area / input' widths before and after, with a column's width after, and with
    padding, the padding that the widths hold beside the columns."""
    def pair(measured, key="width"):
        return f"{round(measured['textarea'][key])} / {round(measured['input'][key])}"
    column = f"{px(after['textarea']['column'])} a column"
    if padding:
        column += f", {pair(after, 'padding')} px padding"
    return f"{pair(before)} → {pair(after)} px ({column})"


def rows(report):
    versions = report["versions"]
    firefox = versions["firefox-esr"].replace("Mozilla ", "")
    chromium = " ".join(versions["chromium"].split()[:2])
    lines = [f"| font, at {report['px']} px | {firefox}: text area / input | "
             f"Qt {versions['qt']}: `averageCharWidth` | {chromium}: text area / input |",
             "|---|---|---|---|"]
    for font in report["fonts"]:
        shipped, fixed = font["xAvgCharWidth"]
        member = f" (#{font['member']} of `{font['file']}`)" if font["member"] is not None else ""
        fx, chrome, qt = font["firefox"], font["chromium"], font["qt"]
        lines.append(f"| {font['name']}{member}, {shipped} → {fixed} | "
                     f"{fields(fx['shipped'], fx['fixed'], padding=True)} | "
                     f"{qt['shipped']['average']} → {qt['fixed']['average']} px | "
                     f"{fields(chrome['shipped'], chrome['fixed'])} |")
    return "\n".join(lines)


def main():
    report = json.loads(pathlib.Path(sys.argv[1]).read_text())
    readme = pathlib.Path(sys.argv[2] if len(sys.argv) > 2 else "docs/programs.md")
    text = readme.read_text()
    block = re.compile(re.escape(BEGIN) + r"\n.*?" + re.escape(END), re.S)
    if not block.search(text):
        sys.exit(f"{readme} has no {BEGIN} ... {END} block")
    readme.write_text(block.sub(lambda _: f"{BEGIN}\n{rows(report)}\n{END}", text))


if __name__ == "__main__":
    main()
