#!/bin/sh
# Checks that the Windows program is a GUI-subsystem executable that imports no DLL but the
# system's own, so that it runs without a console and without shipping any runtime beside it,
# and that it stays small: at most 32 KiB.
set -eu
exe=$1
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
echo "$headers" | grep -q -E '^Subsystem[[:space:]]+00000002' || {
  echo "$exe is not a Windows GUI program:"
  echo "$headers" | grep Subsystem
  exit 1
}
dlls=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort -u)
foreign=$(echo "$dlls" | grep -v -x -E 'KERNEL32\.DLL|USER32\.DLL|MSVCRT\.DLL|API-MS-WIN-CRT-.*\.DLL|UCRTBASE\.DLL' || true)
if [ -n "$foreign" ]; then
  echo "$exe needs DLLs that Windows does not have:"
  echo "$foreign"
  exit 1
fi
size=$(stat -c %s "$exe")
if [ "$size" -gt 32768 ]; then
  echo "$exe is $size bytes, more than 32 KiB"
  exit 1
fi
echo "GUI subsystem; $size bytes; imports:" $dlls
