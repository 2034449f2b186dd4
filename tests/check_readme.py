#!/usr/bin/python3
"""Checks the README as a user and CI read it: every relative link resolves to a file; the
heading "Set-up on a fresh machine" is followed by the demo and the test command as its first
two sh blocks, and CI's reader finds exactly those; the README is at most 250 lines and shows a
quenlo-check command within its first 40.
    check_readme.py SOURCE_DIR"""
import pathlib
import re
import subprocess
import sys

root = pathlib.Path(sys.argv[1])
readme = (root / "README.md").read_text()
lines = readme.splitlines()
failures = []

for target in re.findall(r"\]\(([^)#]+)(?:#[^)]*)?\)", readme):
    if "://" not in target and not (root / target).is_file():
        failures.append(f"the link to {target} leads nowhere")

heading = lines.index("## Set-up on a fresh machine") if "## Set-up on a fresh machine" in lines else None
if heading is None:
    failures.append('no heading "## Set-up on a fresh machine"')
else:
    blocks = []
    for i in range(heading + 1, len(lines)):
        if lines[i] == "```sh":
            end = lines.index("```", i + 1)
            blocks.append((lines[i - 1], "\n".join(lines[i + 1:end])))
            if len(blocks) == 2:
                break
    for (mark, block), name in zip(blocks, ["demo command", "test command"]):
        found = subprocess.run(["sh", str(root / ".ci/readme_command.sh"), name,
                                str(root / "README.md")], capture_output=True, text=True).stdout
        if mark != f"<!-- {name} -->" or found.strip() != block.strip() or not block.strip():
            failures.append(f"the {name} is not where CI reads it")
    if len(blocks) < 2:
        failures.append("fewer than two sh blocks follow the set-up heading")

if len(lines) > 250:
    failures.append(f"the README has {len(lines)} lines, more than 250")
if not any(line.startswith("$ quenlo-check ") for line in lines[:40]):
    failures.append("no quenlo-check command in the first 40 lines")

for failure in failures:
    print(f"README: {failure}")
print(f"README: {len(lines)} lines, {len(failures)} problems")
sys.exit(1 if failures else 0)
