#!/usr/bin/env bash
# End-to-end: start the real program under Xvfb, find its window, check its size, take a
# screenshot and quit it through File > Exit.
set -euo pipefail
program=$1
shot_dir=${2:-.}
work=$(mktemp -d)
trap 'kill $xvfb_pid 2>/dev/null || true; kill $app_pid 2>/dev/null || true; rm -rf "$work"' EXIT

export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { display=:$n; break; }
done
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$program" >"$work/app.log" 2>&1 &
app_pid=$!
win=""
for _ in $(seq 100); do
    win=$(xdotool search --name '^Glyphwright$' 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 0.1
done
[ -n "$win" ] || { echo "no Glyphwright window appeared"; cat "$work/app.log"; exit 1; }
sleep 0.5
geometry=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p')
echo "window $win geometry $geometry"
[ "$geometry" = "860x543" ] || { echo "unexpected window size $geometry"; exit 1; }
# The window carries the program's icon.
icon=$(xprop -id "$win" -f _NET_WM_ICON 32c '=$0,$1' _NET_WM_ICON)
echo "$icon" | grep -q "=[1-9][0-9]*,[1-9]" || { echo "the window has no icon: $icon"; exit 1; }
import -window root "$shot_dir/smoke-screenshot.png"
[ -s "$shot_dir/smoke-screenshot.png" ] || { echo "no screenshot"; exit 1; }

# Quit through File > Exit (the last entry): with no unsaved changes after start-up the program
# ends without asking.
xdotool mousemove --window "$win" 20 10 click 1
sleep 0.5
xdotool key Up Return
for _ in $(seq 50); do kill -0 $app_pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $app_pid 2>/dev/null; then echo "program did not exit"; exit 1; fi
wait $app_pid || { echo "program exited with an error"; cat "$work/app.log"; exit 1; }
echo "smoke test passed"
