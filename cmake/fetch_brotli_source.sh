#!/bin/sh
# Fetches Brotli's sources from Debian's source package, with Debian's patches applied, into the
# folder given, for builds whose toolchain has no Brotli library (Debian ships none for
# MinGW-w64). apt's lists for the source package are kept beside it, not in the system's.
set -eu
dest=$1
work=$dest.apt
rm -rf "$work" && mkdir -p "$work/lists/partial" "$work/get"
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite main" \
  >"$work/sources.list"
apt_options="-qq -o Dir::Etc::SourceList=$work/sources.list -o Dir::Etc::SourceParts=/dev/null
  -o Dir::State::Lists=$work/lists -o APT::Sandbox::User=root"
# shellcheck disable=SC2086
apt-get $apt_options update
cd "$work/get"
# shellcheck disable=SC2086
apt-get $apt_options source --download-only brotli
rm -rf "$dest"
dpkg-source --no-check -x ./brotli_*.dsc "$dest" >/dev/null
# dpkg-source leaves the upstream tarball beside the folder it made.
rm -rf "$work" "$(dirname "$dest")"/brotli_*.orig.tar.*
