# Shell helpers for Wine tests that need a display: a private Xvfb server and a fresh prefix
# whose services know that display. Sourced by the scripts beside it.

# Makes a scratch folder $work, removed with the display and the prefix when the script exits,
# and starts both there.
start_display_session() {
  work=$(mktemp -d)
  trap 'stop_display_and_prefix; rm -rf "$work"' EXIT
  start_display_and_prefix "$work/prefix"
}

# Starts Xvfb on a free display number and a Wine prefix in $1 that uses it; sets DISPLAY,
# WINEPREFIX and xvfb_pid. Call stop_display_and_prefix when done.
start_display_and_prefix() {
  WINEPREFIX=$1
  export WINEPREFIX WINEDEBUG=-all
  mkdir -p "$WINEPREFIX"
  number=90
  while [ -e /tmp/.X11-unix/X$number ] || [ -e /tmp/.X$number-lock ]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 800x600x24 -nolisten tcp </dev/null >"$WINEPREFIX/../xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$number"
  wait_for test -S "/tmp/.X11-unix/X$number"
  wineserver -p </dev/null >"$WINEPREFIX/../wine.log" 2>&1
  wine wineboot -i </dev/null >>"$WINEPREFIX/../wine.log" 2>&1
  wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d user32.MessageBoxA /f \
    </dev/null >>"$WINEPREFIX/../wine.log" 2>&1
}

stop_display_and_prefix() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
}

# Prints the ids of the visible windows named "Error", one a line.
error_boxes() {
  xdotool search --onlyvisible --name '^Error$' 2>/dev/null || true
}

# Waits up to 30 s until the command "$@" succeeds; fails otherwise.
wait_for() {
  for _ in $(seq 300); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# Presses OK on the box with window id $1 (its default button takes Return). With no window
# manager nothing gives the box the focus, so it is given here first.
dismiss() {
  xdotool windowfocus --sync "$1" 2>/dev/null
  sleep 0.3
  xdotool key Return
}

# Counts a check that passes when the command "$@" after its description succeeds, and prints
# it; finish_checks prints the tally and fails when any check failed.
passes=0
failures=0
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
    passes=$((passes + 1))
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

finish_checks() {
  echo "$passes passed, $failures failed"
  [ "$failures" = 0 ]
}
