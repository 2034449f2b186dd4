#!/bin/sh
# Installs the build into a scratch folder with a prefix and DESTDIR, and checks that exactly
# the programs, the man pages, README and LICENSE land there, and that the programs run.
#   check_install.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
DESTDIR="$work" cmake --install "$build" --prefix /opt/quenlo >"$work.log" 2>&1 ||
  { cat "$work.log"; rm -f "$work.log"; exit 1; }
rm -f "$work.log"
found=$(cd "$work" && find . -type f | sort)
expected="./opt/quenlo/bin/quenlo
./opt/quenlo/bin/quenlo-check
./opt/quenlo/share/doc/quenlo/LICENSE
./opt/quenlo/share/doc/quenlo/README.md
./opt/quenlo/share/man/man1/quenlo-check.1.gz
./opt/quenlo/share/man/man1/quenlo.1.gz"
if [ "$found" != "$expected" ]; then
  echo "installed:"; echo "$found"; echo "expected:"; echo "$expected"
  exit 1
fi
"$work/opt/quenlo/bin/quenlo" --version
"$work/opt/quenlo/bin/quenlo-check" --version
echo "installed as expected"
