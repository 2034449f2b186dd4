#!/bin/bash
# quenlo-check.exe started as Explorer starts it, in a console window of its own: it offers to
# fix, fixes on y and not on n, and keeps its window until a key is pressed; started with no font
# it waits too. Needs Xvfb and xdotool, as the window must be there to be answered.
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

cp "$font" "$work/yes.ttf"
start "$work/yes.ttf"
check "the window asks before it writes" cmp -s "$font" "$work/yes.ttf"
press y
check "y fixes the font" "$linux_check" "$work/yes.ttf" >/dev/null
check "the window waits for a key after the fix" shown
press Return
check "a key closes the window" wait_for gone
check "the program ends" wait_for ended

cp "$font" "$work/no.ttf"
start "$work/no.ttf"
press n
check "n leaves the font as it was" cmp -s "$font" "$work/no.ttf"
check "the window waits for a key after n" shown
press Return
check "a key closes the window after n" wait_for gone

start
check "started with no font, the window waits" shown
press space
check "a key closes it" wait_for gone

finish_checks
