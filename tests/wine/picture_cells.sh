#!/bin/bash
# Makes the README's picture of what the fix changes: under Wine on a private display, a line of
# BIZ UD Gothic drawn in terminal cells of tmAveCharWidth, once as the font is shipped and once
# after quenlo has set the width that quenlo-check suggests, one above the other.
#   picture_cells.sh terminal_cells.exe quenlo quenlo-check out.png
# Needs Xvfb, xdotool, xwd (x11-apps), netpbm, Wine's own fonts and fonts-morisawa-bizud-gothic.
set -eu
exe=$(realpath "$1")
quenlo=$(realpath "$2")
check=$(realpath "$3")
out=$(realpath -m "$4")
font=/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf
family="BIZ UDGothic"
width=760
height=80
# The installed BIZ UD Gothic would shadow the copies that the program loads for itself.
FONTCONFIG_FILE=$(realpath "$(dirname "$0")/no-fonts.conf")
export FONTCONFIG_FILE
. "$(dirname "$0")/xvfb.sh"
start_display_session

cp "$font" "$work/shipped.ttf"
cp "$font" "$work/fixed.ttf"
suggested=$("$check" --json "$work/shipped.ttf" | sed -n 's/.*"suggested": \([0-9]*\).*/\1/p' || true)
[ -n "$suggested" ] || { echo "quenlo-check gave no suggestion"; exit 1; }
"$quenlo" -w "$suggested" "$work/fixed.ttf"

cells_window() { xdotool search --onlyvisible --name '^Quenlo cells$' 2>/dev/null | head -n 1; }
has_cells_window() { [ -n "$(cells_window)" ]; }

# Draws the font file $1 with label $2 and saves the window's picture to $3.
shoot() {
  (cd "$work" && exec timeout 120 wine "$exe" "$1" "$family" "$2" </dev/null >/dev/null 2>&1) &
  local program=$!
  wait_for has_cells_window || { echo "no window appeared"; exit 1; }
  sleep 1  # let it finish drawing
  xwd -root -silent | xwdtopnm 2>/dev/null |
    pnmcut -left 0 -top 0 -width "$width" -height "$height" >"$3"
  xdotool windowfocus --sync "$(cells_window)" 2>/dev/null
  sleep 0.3
  xdotool key Escape
  wait "$program"
}

stored=$(cd "$work" && "$check" --json shipped.ttf | sed -n 's/.*"xAvgCharWidth": \([0-9-]*\).*/\1/p')
shoot shipped.ttf "BIZ UD Gothic as shipped, xAvgCharWidth $stored" "$work/before.pnm"
shoot fixed.ttf "after quenlo -w $suggested" "$work/after.pnm"
pnmcat -tb "$work/before.pnm" "$work/after.pnm" | pnmtopng >"$out"
echo "saved $out"
