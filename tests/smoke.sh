#!/usr/bin/env bash
# End-to-end: start the real program under Xvfb, find its window, check its size and icon, take
# screenshots (the whole screen and the window, the one the README shows) and quit it through
# File > Exit. Then once more at twice the density: the window doubles in device pixels and the
# preview is drawn at them, not enlarged.
set -euo pipefail
program=$1
shot_dir=${2:-.}
work=$(mktemp -d)
app_pid=""
trap 'kill $xvfb_pid 2>/dev/null || true; [ -z "$app_pid" ] || kill $app_pid 2>/dev/null || true; rm -rf "$work"' EXIT

export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { display=:$n; break; }
done
Xvfb "$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Starts the program (with the given environment) and sets `win` to its window.
start() {
    env "$@" "$program" >"$work/app.log" 2>&1 &
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
}

# Quits through File > Exit (the last entry): with no unsaved changes after start-up the program
# ends without asking.
quit() {
    xdotool mousemove --window "$win" "$1" "$2" click 1
    sleep 0.5
    xdotool key Up Return
    for _ in $(seq 50); do kill -0 $app_pid 2>/dev/null || break; sleep 0.1; done
    if kill -0 $app_pid 2>/dev/null; then echo "program did not exit"; exit 1; fi
    wait $app_pid || { echo "program exited with an error"; cat "$work/app.log"; exit 1; }
    app_pid=""
}

start QT_SCALE_FACTOR=1
[ "$geometry" = "860x543" ] || { echo "unexpected window size $geometry"; exit 1; }
# The window carries the program's icon.
icon=$(xprop -id "$win" -f _NET_WM_ICON 32c '=$0,$1' _NET_WM_ICON)
echo "$icon" | grep -q "=[1-9][0-9]*,[1-9]" || { echo "the window has no icon: $icon"; exit 1; }
import -window root "$shot_dir/smoke-screenshot.png"
import -window "$win" "$shot_dir/smoke-window.png"
[ -s "$shot_dir/smoke-screenshot.png" ] && [ -s "$shot_dir/smoke-window.png" ] || { echo "no screenshot"; exit 1; }
quit 20 10

start QT_SCALE_FACTOR=2
[ "$geometry" = "1720x1086" ] || { echo "unexpected window size at 2x: $geometry"; exit 1; }
import -window "$win" "$shot_dir/smoke-window-2x.png"
# A square inside the preview, in device pixels. Enlarged from 480 it would be made of 2 x 2
# blocks, so halving and doubling it by sampling would give it back unchanged.
convert "$shot_dir/smoke-window-2x.png" -crop 720x720+200+200 +repage "$work/preview.png"
convert "$work/preview.png" -sample 50% -sample 200% "$work/blocks.png"
distinct=$(compare -metric AE "$work/preview.png" "$work/blocks.png" null: 2>&1 || true)
echo "preview at 2x: $distinct of 518400 pixels differ from their 2 x 2 block"
[ "${distinct%%.*}" -gt 1000 ] 2>/dev/null || { echo "the preview is not drawn at the device pixels"; exit 1; }
quit 40 20
echo "smoke test passed"
