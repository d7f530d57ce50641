#!/usr/bin/env bash
# On a freshly started, busy machine the first start of the dialog program can
# take a minute or more (its toolkit and caches loaded from a cold disk), and a
# test waiting for a dialog would measure that instead of the program. The
# programs the tests start are started once here, on a virtual display of
# their own, so that the tests meet them warm. Failures here are not errors:
# the tests say what is missing.
set -uo pipefail
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -noreset -screen 0 800x600x24 3>"$fifo" 2>/dev/null &
xvfb=$!
read -r -t 120 numero <"$fifo"
rm -f "$fifo"
if [ -n "${numero:-}" ]; then
  export DISPLAY=":$numero"
  timeout 300 zenity --info --no-markup --text=Quorvex --timeout=1 >/dev/null 2>&1
  timeout 120 xdotool getmouselocation >/dev/null 2>&1
  timeout 120 xprop -root _NET_SUPPORTED >/dev/null 2>&1
fi
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit 0
