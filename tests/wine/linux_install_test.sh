#!/bin/bash
# The Linux quenlo-check --install, seen from Wine: the copy goes into the user's font folder,
# which fontconfig lists, and a fresh Wine prefix, which takes its system fonts from fontconfig,
# selects the copy by its new family with tmAveCharWidth equal to the advance of "a", while the
# original family stays wide. HOME, XDG_DATA_HOME and FONTCONFIG_FILE point into a scratch
# folder, so that no font of the machine's own is touched or seen.
#   linux_install_test.sh linux-quenlo-check text_metrics.exe
set -u
linux_check=$(realpath "$1")
metrics=$(realpath "$2")
work=$(mktemp -d)
export HOME=$work/home XDG_DATA_HOME=$work/data WINEPREFIX=$work/prefix WINEDEBUG=-all
export FONTCONFIG_FILE=$work/fonts.conf LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k </dev/null >/dev/null 2>&1; rm -rf "$work"' EXIT
. "$(dirname "$0")/xvfb.sh"
mkdir -p "$HOME" "$work/system" "$XDG_DATA_HOME/fonts"
cp /usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf "$work/system/"
cat >"$FONTCONFIG_FILE" <<CONF
<?xml version="1.0"?>
<fontconfig><dir>$work/system</dir><dir>$XDG_DATA_HOME/fonts</dir><cachedir>$work/cache</cachedir></fontconfig>
CONF

installed=$("$linux_check" --install "$work/system/BIZUDGothic-Regular.ttf" 2>&1)
check "the Linux --install installs the copy" grep -q 'as "BIZ UDGothic Fixed"' <<<"$installed"
check "and says that Wine's programs find it" grep -q "Wine's programs find them too" \
  <<<"$installed"
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >"$work/wine.log" 2>&1
wine wineboot -i </dev/null >>"$work/wine.log" 2>&1

# Prints "tmAveCharWidth a" for a family among the fonts Wine has.
widths() {
  wine "$metrics" - "$1" 2>/dev/null | tr -d '\r' |
    awk '/^tmAveCharWidth/ {w=$2} /^a / {a=$2} END {print w, a}'
}
fixed() { read -r average a <<<"$(widths "$1")"; [ -n "$a" ] && [ "$average" = "$a" ]; }
wide() { read -r average a <<<"$(widths "$1")"; [ -n "$a" ] && [ "$average" -gt "$a" ]; }
check "a fresh prefix selects BIZ UDGothic Fixed by name, at the advance of a" \
  fixed "BIZ UDGothic Fixed"
check "and the original BIZ UDGothic is as wide as it was" wide "BIZ UDGothic"
finish_checks
