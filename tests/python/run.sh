#!/bin/sh
# Builds the Python package's wheel from the programs in the build folder, and its sdist, then
# installs each (the wheel, and a wheel built from the sdist with CMake) into a fresh virtual
# environment that sees the system's fontTools and pytest, and runs the API's tests there.
#   tests/python/run.sh BUILD_FOLDER
set -eu
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$root"
QUENLO_PROGRAMS="$build" /usr/bin/python3 -m build --no-isolation --wheel --outdir "$scratch/wheel" . \
  >"$scratch/build.log" 2>&1 || { cat "$scratch/build.log"; exit 1; }
/usr/bin/python3 -m build --no-isolation --sdist --outdir "$scratch/sdist" . >>"$scratch/build.log" 2>&1 ||
  { cat "$scratch/build.log"; exit 1; }
# The sdist builds the programs itself, as on macOS and other platforms, also by the README's
# commands, which find no tests in it.
tar -xzf "$scratch"/sdist/quenlo-*.tar.gz -C "$scratch"
(cd "$scratch"/quenlo-*/ && cmake -S . -B "$scratch/cmake" >>"$scratch/build.log" 2>&1) ||
  { cat "$scratch/build.log"; exit 1; }
(cd "$scratch"/quenlo-*/ && /usr/bin/python3 -m build --no-isolation --wheel --outdir "$scratch/from-sdist" . \
  >>"$scratch/build.log" 2>&1) || { cat "$scratch/build.log"; exit 1; }
for wheel in "$scratch"/wheel/*.whl "$scratch"/from-sdist/*.whl; do
  echo "== $(basename "$wheel")"
  venv="$scratch/venv-$(basename "$(dirname "$wheel")")"
  /usr/bin/python3 -m venv --system-site-packages "$venv"
  "$venv/bin/python" -m pip install -q --no-index --no-deps "$wheel"
  # From a folder of its own, so that the installed package is the one imported.
  (cd "$scratch" && QUENLO_CHECK="$build/quenlo-check" QUENLO_VENV="$venv" \
    "$venv/bin/python" -m pytest -q -p no:cacheprovider "$root/tests/python")
done
