#!/bin/sh
# Checks that a Windows program has the expected subsystem (gui: no console; console) and
# imports no DLL but the system's own, so that it runs without shipping any runtime beside it,
# and, when a limit is given, that it stays within that many bytes.
#   check_pe.sh PROGRAM.exe gui|console [MAX_BYTES]
set -eu
exe=$1
case $2 in
gui) subsystem='00000002' ;;
console) subsystem='00000003' ;;
*) echo "usage: check_pe.sh PROGRAM.exe gui|console [MAX_BYTES]"; exit 2 ;;
esac
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
echo "$headers" | grep -q -E "^Subsystem[[:space:]]+$subsystem" || {
  echo "$exe is not a Windows $2 program:"
  echo "$headers" | grep Subsystem
  exit 1
}
dlls=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort -u)
foreign=$(echo "$dlls" | grep -v -x -E 'KERNEL32\.DLL|USER32\.DLL|GDI32\.DLL|ADVAPI32\.DLL|MSVCRT\.DLL|API-MS-WIN-CRT-.*\.DLL|UCRTBASE\.DLL' || true)
if [ -n "$foreign" ]; then
  echo "$exe needs DLLs that Windows does not have:"
  echo "$foreign"
  exit 1
fi
size=$(stat -c %s "$exe")
if [ -n "${3:-}" ] && [ "$size" -gt "$3" ]; then
  echo "$exe is $size bytes, more than $3"
  exit 1
fi
echo "$2 subsystem; $size bytes; imports:" $dlls
