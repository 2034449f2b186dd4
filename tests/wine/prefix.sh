#!/bin/sh
# Starts or stops the Wine prefix that the Windows tests share.
#   prefix.sh start DIR   make a fresh prefix in DIR and keep its wineserver running
#   prefix.sh stop DIR    shut that wineserver down and remove DIR
# Wine's background services inherit the output of the process that starts them and live as long
# as the wineserver, so they are started here with their output sent to a log: a test runner that
# captured it would otherwise wait for them.
set -eu
action=$1
WINEPREFIX=$2
export WINEPREFIX WINEDEBUG=-all LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY

case $action in
start)
  wineserver -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  log=$WINEPREFIX/../wine-prefix.log
  wineserver -p </dev/null >"$log" 2>&1
  wine wineboot -i </dev/null >>"$log" 2>&1
  # The relay trace of MessageBoxA alone is how the tests read the text of a box with no display.
  wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d user32.MessageBoxA /f \
    </dev/null >>"$log" 2>&1
  echo "Wine prefix ready: $WINEPREFIX"
  ;;
stop)
  wineserver -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  echo "Wine prefix removed"
  ;;
*)
  echo "usage: prefix.sh start|stop DIR" >&2
  exit 2
  ;;
esac
