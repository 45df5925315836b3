#!/usr/bin/env bash
# Runs a test program on an X display of its own with a system tray: an
# Xvfb server and trayer, both started here and stopped when the program
# ends. Listing the tests needs neither. Without Xvfb or trayer the program
# runs as it is and its tests skip, saying why.
set -u

for arg in "$@"; do
  [ "$arg" = "--gtest_list_tests" ] && exec "$@"
done
if ! command -v Xvfb >/dev/null || ! command -v trayer >/dev/null; then
  echo "with-tray: Xvfb or trayer is not installed" >&2
  exec "$@"
fi

work=$(mktemp -d)
xvfb_pid=""
trayer_pid=""
cleanup() {
  [ -n "$trayer_pid" ] && kill "$trayer_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "with-tray: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  cleanup
  trap - EXIT
  exec "$@"
fi
export DISPLAY=":$(head -n1 "$work/display")"
trayer --edge top --align right --widthtype request --height 32 --SetDockType true >"$work/trayer.log" 2>&1 &
trayer_pid=$!

QT_QPA_PLATFORM=xcb "$@"
