#!/usr/bin/env bash
# Builds the Debian package, the .tar.gz and the Windows zip from a built tree, checks the .deb
# with lintian, installs it, runs the installed programs from PATH on a copy of a real font,
# removes it again, and checks what the archives hold.
#   check_packages.sh BUILD_DIR
set -euo pipefail
build=$1
version=$(sed -n 's/^project(Quenlo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
cmake --build "$build" --target package
deb="$build/quenlo_${version}_amd64.deb"
lintian --fail-on error,warning "$deb"
dpkg -i "$deb"
trap 'dpkg -r quenlo >/dev/null' EXIT
work=$(mktemp -d)
cp /usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf "$work/font.ttf"
status=0
(cd "$work" && quenlo-check font.ttf) || status=$?
[ "$status" = 1 ] || { echo "quenlo-check on the font gave $status, not 1"; exit 1; }
(cd "$work" && quenlo -w 1024 font.ttf && quenlo-check font.ttf)
test -f /usr/share/man/man1/quenlo.1.gz && test -f /usr/share/man/man1/quenlo-check.1.gz

expect_listing() {
  local listing=$1 expected=$2
  if [ "$listing" != "$expected" ]; then
    echo "unexpected contents:"; echo "$listing"; echo "expected:"; echo "$expected"
    exit 1
  fi
}
expect_listing "$(tar tzf "$build/quenlo-$version-Linux.tar.gz" | grep -v '/$' | sort)" \
"quenlo-$version-Linux/bin/quenlo
quenlo-$version-Linux/bin/quenlo-check
quenlo-$version-Linux/share/doc/quenlo/LICENSE
quenlo-$version-Linux/share/doc/quenlo/README.md
quenlo-$version-Linux/share/man/man1/quenlo-check.1.gz
quenlo-$version-Linux/share/man/man1/quenlo.1.gz"

sh tests/wine/check_zip.sh "$build/windows" "$version"
echo "packages: the .deb passes lintian, installs and runs; the .tar.gz and the zip hold what they should"
