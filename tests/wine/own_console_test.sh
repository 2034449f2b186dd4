#!/bin/bash
# quenlo-check.exe started as Explorer starts it, in a console window of its own: it offers to
# fix, fixes on y and not on n, and keeps its window until a key is pressed; started with no font
# it offers fixed copies of the installed fonts whose cells come out wrong, and installs one on
# y; a dropped copy of an installed font is offered a copy, not a fix that would clash with it.
# Needs Xvfb and xdotool, as the window must be there to be answered. Wine lists the machine's
# fonts as installed, through fontconfig, so the fonts dropped to be fixed get a family of their
# own first.
#   own_console_test.sh quenlo-check.exe linux-quenlo-check font
set -u
exe=$(realpath "$1")
linux_check=$(realpath "$2")
font=$(realpath "$3")
. "$(dirname "$0")/xvfb.sh"
start_display_session
window() { xdotool search --name 'quenlo-check\.exe$' 2>/dev/null | head -n 1; }
shown() { [ -n "$(window)" ]; }
gone() { [ -z "$(window)" ]; }
ended() { ! kill -0 "$runner" 2>/dev/null; }
press() { xdotool key --window "$(window)" "$1" 2>/dev/null; sleep 1; }
# Starts the program in a console of its own with the arguments, as Explorer would.
start() {
  (cd "$work" && exec timeout 120 wine start /wait /unix "$exe" "$@" </dev/null >/dev/null 2>&1) &
  runner=$!
  wait_for shown
  sleep 2
}

# The font under a family that nothing installs.
/usr/bin/python3 -c "
import sys
from fontTools.ttLib import TTFont
font = TTFont(sys.argv[1])
for record in font['name'].names:
    if record.nameID in (1, 3, 4, 6, 16):
        record.string = 'QuenloOwnConsoleTest' + str(record.nameID)
font.save(sys.argv[2])
" "$font" "$work/own.ttf"
cp "$work/own.ttf" "$work/yes.ttf"
start "$work/yes.ttf"
check "the window asks before it writes" cmp -s "$work/own.ttf" "$work/yes.ttf"
press y
check "y fixes the font" "$linux_check" "$work/yes.ttf" >/dev/null
check "the window waits for a key after the fix" shown
press Return
check "a key closes the window" wait_for gone
check "the program ends" wait_for ended

cp "$work/own.ttf" "$work/no.ttf"
start "$work/no.ttf"
press n
check "n leaves the font as it was" cmp -s "$work/own.ttf" "$work/no.ttf"
check "the window waits for a key after n" shown
press Return
check "a key closes the window after n" wait_for gone

# Alone, it looks at the installed fonts: the CJK font, installed for all users in the
# Windows fonts folder, is offered a fixed copy, which y installs for the user, leaving it; a
# proportional font whose value is a few units off, as many stock fonts', is offered nothing.
cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/wide.ttf"
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Wide (TrueType)' \
  /t REG_SZ /d wide.ttf /f </dev/null >/dev/null 2>&1
/usr/bin/python3 -c "
import sys
from fontTools.ttLib import TTFont
font = TTFont(sys.argv[1])
font['OS/2'].xAvgCharWidth += 5
font.save(sys.argv[2])
" /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$WINEPREFIX/drive_c/windows/Fonts/near.ttf"
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Near (TrueType)' \
  /t REG_SZ /d near.ttf /f </dev/null >/dev/null 2>&1
start
check "started with no font, the window asks about the installed fonts" shown
press y
copy=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Microsoft/Windows/Fonts/wide-Fixed-*.ttf')
check "y installs a fixed copy for the user" test -n "$copy"
check "the fixed copy is ok" "$linux_check" "$copy" >/dev/null
check "the proportional font a few units off gets no copy" test -z \
  "$(find "$WINEPREFIX/drive_c/users" -name 'near-Fixed-*')"
check "the installed font stays as it was" cmp -s "$font" "$WINEPREFIX/drive_c/windows/Fonts/wide.ttf"
check "the window waits for a key after installing" shown
# A key pressed before the program waits is dropped with what was typed ahead, so it is pressed
# until the window closes.
closes() {
  for _ in $(seq 10); do
    press space
    gone && return 0
  done
  return 1
}
check "a key closes it" closes

# A copy of the installed font, dropped: fixed in place it would keep the installed family's
# name, so y installs a fixed copy of it under a new one and leaves it as it was.
cp "$font" "$work/mine.ttf"
start "$work/mine.ttf"
press y
check "a dropped copy of an installed font is left as it was" cmp -s "$font" "$work/mine.ttf"
check "and gets a fixed copy on y" test -n \
  "$(find "$WINEPREFIX/drive_c/users" -path '*/Windows/Fonts/mine-Fixed-*.ttf')"
check "and its window closes on a key" closes

finish_checks
