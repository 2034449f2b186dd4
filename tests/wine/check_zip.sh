#!/bin/sh
# Makes the Windows zip with cpack in the cross build's folder and checks that it holds exactly
# the two programs, README.txt and LICENSE, and that every line of README.txt ends in CR LF.
#   check_zip.sh WINDOWS_BUILD_DIR VERSION
set -eu
cd "$1"
cpack >/dev/null
zip=quenlo-$2-win64.zip
/usr/bin/python3 - "$zip" "quenlo-$2-win64" <<'PYTHON'
import sys
import zipfile
archive, folder = zipfile.ZipFile(sys.argv[1]), sys.argv[2]
names = sorted(archive.namelist())
expected = [f"{folder}/{name}" for name in ("LICENSE", "README.txt", "quenlo-check.exe", "quenlo.exe")]
if names != expected:
    sys.exit(f"the zip holds {names}, not {expected}")
text = archive.read(f"{folder}/README.txt")
if not 0 < text.count(b"\n") == text.count(b"\r\n"):
    sys.exit("README.txt does not end every line with CR LF")
print(f"{sys.argv[1]}: the two programs, README.txt with CR LF line ends, and LICENSE")
PYTHON
