#!/bin/sh
# Runs a test program as users meet windows: on a private X server (Xvfb) with a window manager
# (openbox) and no compositor. The server picks a free display itself (-displayfd), so parallel
# runs never race for one. Without Xvfb or openbox the program runs offscreen, where the tests
# that need the display skip themselves.
if command -v Xvfb >/dev/null 2>&1 && command -v openbox >/dev/null 2>&1; then
  dir=$(mktemp -d) || exit 1
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$dir/display" 2>"$dir/log" &
  server=$!
  trap 'kill "$server" "$wm" 2>/dev/null; rm -rf "$dir"' HUP INT TERM
  tries=0
  while [ ! -s "$dir/display" ] && kill -0 "$server" 2>/dev/null && [ "$tries" -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  number=$(cat "$dir/display")
  if [ -n "$number" ]; then
    # The tests wait for the manager themselves (its check window on the root).
    HOME="$dir" XDG_CACHE_HOME="$dir" XDG_CONFIG_HOME="$dir" DISPLAY=":$number" openbox --sm-disable >"$dir/wm.log" 2>&1 &
    wm=$!
    DISPLAY=":$number" QT_QPA_PLATFORM=xcb "$@"
    status=$?
    kill "$wm" "$server" 2>/dev/null
    wait "$wm" "$server" 2>/dev/null
    rm -rf "$dir"
    exit "$status"
  fi
  kill "$server" 2>/dev/null
  echo "Xvfb did not start: $(cat "$dir/log")"
  rm -rf "$dir"
fi
echo "no X server with a window manager could be started: running offscreen"
QT_QPA_PLATFORM=offscreen exec "$@"
