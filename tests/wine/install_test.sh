#!/bin/bash
# quenlo-check.exe --install in a fresh Wine prefix where BIZ UD Gothic and Noto Sans CJK play the
# system's fonts: in C:\windows\Fonts and named under HKLM. After a restart of Wine, a fresh GDI
# process selects each copy by its new family with tmAveCharWidth equal to the advance of "a",
# from the HKLM value that Wine reads when it starts, as well as from the fonts that HKCU names;
# the original families stay as they were; --installed lists the originals as needing a fix and
# names their copies; --uninstall takes the copies and their values away, leaving the prefix's
# fonts keys and folder as they were.
#   install_test.sh quenlo-check.exe text_metrics.exe linux-quenlo-check
set -u
exe=$(realpath "$1")
metrics=$(realpath "$2")
linux_check=$(realpath "$3")
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all LC_ALL=C.UTF-8 FONTCONFIG_FILE=$(dirname "$0")/no-fonts.conf
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k </dev/null >/dev/null 2>&1; rm -rf "$work"' EXIT
. "$(dirname "$0")/xvfb.sh"
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >"$work/wine.log" 2>&1
wine wineboot -i </dev/null >>"$work/wine.log" 2>&1
fonts=$WINEPREFIX/drive_c/windows/Fonts
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts'
cp /usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf "$fonts/BIZUDGothic-Regular.ttf"
cp /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc "$fonts/NotoSansCJK-Regular.ttc"
wine reg add "$key" /v 'BIZ UDGothic (TrueType)' /t REG_SZ /d BIZUDGothic-Regular.ttf /f \
  </dev/null >>"$work/wine.log" 2>&1
wine reg add "$key" /v 'Noto Sans CJK (OpenType)' /t REG_SZ /d NotoSansCJK-Regular.ttc /f \
  </dev/null >>"$work/wine.log" 2>&1
wineserver -k </dev/null >/dev/null 2>&1
wineserver -w </dev/null >/dev/null 2>&1  # the registry is saved once it has ended

# Prints "tmAveCharWidth a" for a family, the fonts loaded as given.
widths() {
  wine "$metrics" "$1" "$2" 2>/dev/null | tr -d '\r' |
    awk '/^tmAveCharWidth/ {w=$2} /^a / {a=$2} END {print w, a}'
}
# The report of --installed, its lines ended as on Linux.
report() { wine "$exe" --installed 2>/dev/null | tr -d '\r'; }
fixed() { read -r average a <<<"$(widths "$1" "$2")"; [ -n "$a" ] && [ "$average" = "$a" ]; }
wide() { read -r average a <<<"$(widths "$1" "$2")"; [ -n "$a" ] && [ "$average" -gt "$a" ]; }

check "BIZ UD Gothic, as the system has it, gives wide cells" wide - "BIZ UDGothic"
check "so does Noto Sans Mono CJK JP" wide - "Noto Sans Mono CJK JP"
check "--installed lists the system's fonts as needing a fix" grep -q \
  "^BIZ UDGothic Regular (.*BIZUDGothic-Regular.ttf): xAvgCharWidth 1962, should be 1024" \
  <<<"$(report)"
# A value that the user made, of the name the copy's family would give it, is never Quenlo's.
user_key='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Fonts'
wine reg add "$user_key" /v 'BIZ UDGothic Fixed (TrueType)' /t REG_SZ /d 'C:\mine.ttf' /f \
  </dev/null >>"$work/wine.log" 2>&1
# The fonts keys as they were before the install, to compare with after --uninstall.
keys() { wine reg query "$key" 2>/dev/null; wine reg query "$user_key" 2>/dev/null; }
keys_before=$(keys)
installed=$(wine "$exe" --install 'C:\windows\Fonts\BIZUDGothic-Regular.ttf' \
  'C:\windows\Fonts\NotoSansCJK-Regular.ttc' 2>&1)
check "--install says which families to choose" \
  grep -q 'installed a fixed copy for you as "BIZ UDGothic Fixed"' <<<"$installed"
check "and to restart Wine before choosing them" grep -q '^Restart Wine first' <<<"$installed"
# Wine overruns its buffer on a Fonts value's name of 64 or more characters.
long_names() { keys | tr -d '\r' | grep Quenlo | sed 's/^    //; s/    REG_SZ.*//' | awk 'length > 63'; }
check "each value's name is short enough for Wine" test -z "$(long_names)"
user_fonts=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Microsoft/Windows/Fonts' -type d)
biz_copy=$(ls "$user_fonts"/BIZUDGothic-Regular-Fixed-????????.ttf 2>/dev/null)
check "the copies are in the user's font folder" test -f "$biz_copy" -a \
  -n "$(ls "$user_fonts"/NotoSansCJK-Regular-Fixed-????????.ttc 2>/dev/null)"
check "the copy is ok for the check on Linux" "$linux_check" --json "$biz_copy" >/dev/null
check "the system's fonts stay as they were" cmp -s "$fonts/BIZUDGothic-Regular.ttf" \
  /usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf
# Wine reads only HKLM's font values when it starts: after a restart, a process that loads
# nothing itself finds the copies there; one that loads HKCU's values, as Windows does at
# sign-in, finds them too.
wineserver -k </dev/null >/dev/null 2>&1
wineserver -w </dev/null >/dev/null 2>&1  # the registry is saved once it has ended
check "after a restart, GDI selects BIZ UDGothic Fixed, at the advance of a" fixed - "BIZ UDGothic Fixed"
check "and Noto Sans Mono CJK JP Fixed" fixed - "Noto Sans Mono CJK JP Fixed"
check "as Windows loads HKCU's fonts, too" fixed HKCU "BIZ UDGothic Fixed"
check "BIZ UDGothic is as it was" wide HKCU "BIZ UDGothic"
check "Noto Sans Mono CJK JP is as it was" wide HKCU "Noto Sans Mono CJK JP"
check "--installed names the copy to choose" grep -q \
  '^  a fixed copy is installed for you: choose "BIZ UDGothic Fixed" in your programs' \
  <<<"$(report)"
again=$(wine "$exe" --install 'C:\windows\Fonts\BIZUDGothic-Regular.ttf' 2>&1)
check "a second --install replaces the copy" test "$(ls "$user_fonts" | grep -c BIZUDGothic)" = 1
check "and its value" test "$(wine reg query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Fonts' 2>/dev/null | grep -c BIZUDGothic-Regular-Fixed)" = 1
wine "$exe" --uninstall >/dev/null 2>&1
check "--uninstall removes the copies" test -z "$(ls "$user_fonts")"
check "and their values" test "$(keys | grep -c Quenlo)" = 0
check "the user's own value stays" grep -q 'mine.ttf' <<<"$(wine reg query "$user_key" 2>/dev/null)"
check "the fonts keys are as they were" test "$(keys)" = "$keys_before"
check "and so is the system's fonts folder" test "$(ls "$fonts" | grep -c Fixed)" = 0
finish_checks
