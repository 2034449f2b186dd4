#!/bin/bash
# The file is held with no sharing while a message box is up: a second instance on the same file,
# in the same prefix, cannot open it. Needs Xvfb and xdotool, as the box must stay up.
#   share_mode_test.sh quenlo.exe
set -u
exe=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh"
start_display_session
shown() { # file, text: the relay trace in file holds exactly one MessageBoxA call, with text
  [ "$(grep -c 'Call user32\.MessageBoxA(' "$1")" = 1 ] &&
    grep -q -F "\"$2\"," "$1"
}

# An OpenType CFF header: refused after the open, so the box is shown with the file held.
printf 'OTTO\000\011\000\200\000\003\000\020' >"$work/font.ttf"
cp "$work/font.ttf" "$work/original.ttf"

(cd "$work" && WINEDEBUG=-all,+relay exec timeout 120 wine "$exe" font.ttf </dev/null >/dev/null 2>"$work/first.err") &
first=$!
has_box() { [ -n "$(error_boxes)" ]; }
check "first instance shows its box" wait_for has_box
first_box=$(error_boxes | head -n 1)
check "first box says the format is wrong" shown "$work/first.err" 'Incorrect TTF file format.'

(cd "$work" && WINEDEBUG=-all,+relay exec timeout 120 wine "$exe" font.ttf </dev/null >/dev/null 2>"$work/second.err") &
second=$!
second_box() { error_boxes | grep -v -x "$first_box"; }
has_second_box() { [ -n "$(second_box)" ]; }
check "second instance shows its own box" wait_for has_second_box
check "second instance cannot open the held file" shown "$work/second.err" "Cant't open TTF file"
dismiss "$(second_box | head -n 1)"
wait "$second"
check "second instance exits with 1" test $? = 1
check "first instance is still waiting" kill -0 "$first"

dismiss "$first_box"
wait "$first"
check "first instance exits with 1 after its box is dismissed" test $? = 1
check "the file is unchanged" cmp -s "$work/font.ttf" "$work/original.ttf"

finish_checks
