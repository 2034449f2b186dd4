#!/bin/bash
# Takes a picture of the Windows program's error box under Wine, for the README: runs a failing
# command on a private display, saves a screenshot of the box to a PNG file, presses OK and
# checks that the program then exits with status 1.
#   screenshot_error_box.sh quenlo.exe out.png
# Needs Xvfb, xdotool, xwd (x11-apps) and netpbm.
set -eu
exe=$(realpath "$1")
out=$(realpath "$2")
. "$(dirname "$0")/xvfb.sh"
start_display_session

# A virtual desktop draws the caption bar, which is otherwise a window manager's job. Its size
# leaves a small margin around the box.
width=360
height=164
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d "${width}x$height" /f \
  >/dev/null 2>&1
wineserver -k
wineserver -p </dev/null >>"$work/wine.log" 2>&1

(cd "$work" && exec timeout 120 wine "$exe" -w 0 font.ttf </dev/null >/dev/null 2>&1) &
program=$!
has_box() { [ -n "$(error_boxes)" ]; }
wait_for has_box || { echo "no error box appeared"; exit 1; }
sleep 1  # let the box finish drawing
# With no window manager the desktop sits at the screen's top left, the box centred on it.
xwd -root -silent | xwdtopnm 2>/dev/null | pnmcut -left 0 -top 0 -width "$width" -height "$height" |
  pnmtopng >"$out"
xdotool key Return
status=0
wait "$program" || status=$?
if [ "$status" != 1 ]; then
  echo "the program exited with $status after its box was dismissed, not 1"
  exit 1
fi
echo "saved $out; the program exited with 1 once OK was pressed"
