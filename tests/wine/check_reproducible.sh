#!/bin/sh
# Builds the Windows programs twice from the same sources, in two fresh folders, and checks that
# the two builds are byte-for-byte identical.
#   check_reproducible.sh SOURCE_DIR WORK_DIR
set -eu
source=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
for build in one two; do
  cmake -S "$source" -B "$work/$build" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" \
    -DQUENLO_BUILD_TESTS=OFF >"$work/$build.log" 2>&1
  cmake --build "$work/$build" >>"$work/$build.log" 2>&1 || { cat "$work/$build.log"; exit 1; }
done
status=0
for exe in "$work"/one/*.exe "$work"/one/console/*.exe; do
  name=${exe#"$work"/one/}
  if cmp "$exe" "$work/two/$name"; then
    echo "$name: two builds are identical"
  else
    status=1
  fi
done
rm -rf "$work"
exit $status
