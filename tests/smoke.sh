#!/usr/bin/env bash
# End-to-end: start the real program under Xvfb, find its window, check its size and icon and that
# its colour swatches show their colour exactly, take screenshots (the whole screen and the window,
# the one the README shows), save a project through the real file dialog by typing a bare name, and
# quit it through File > Exit. Then once more at twice the density: the window doubles in device
# pixels and the preview is drawn at them, not enlarged. Last, the program is started with the
# saved project as its argument and opens it.
set -euo pipefail
program=$1
shot_dir=${2:-.}
work=$(mktemp -d)
app_pid=""
trap 'kill $xvfb_pid 2>/dev/null || true; [ -z "$app_pid" ] || kill $app_pid 2>/dev/null || true; rm -rf "$work"' EXIT

export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

# Xvfb chooses a free display itself and writes its number once it accepts connections; a first
# start on a fresh machine builds the keyboard and font caches, so it is given half a minute. It
# must not reset when its last client leaves: a program connecting during the reset (just after
# the check below) finds no display.
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do
    [ -s "$work/display" ] && break
    kill -0 $xvfb_pid 2>/dev/null || { echo "Xvfb did not start"; exit 1; }
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb gave no display within 30 s"; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")
xdpyinfo >/dev/null || { echo "display $DISPLAY does not answer"; exit 1; }

# Starts the program (with the given environment, then `--` and its arguments) and sets `win` to
# its window, found by the title `title` (default "Glyphwright").
title=Glyphwright
start() {
    local environment=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do environment+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    env "${environment[@]}" "$program" "$@" >"$work/app.log" 2>&1 &
    app_pid=$!
    win=""
    for _ in $(seq 100); do
        win=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1 || true)
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || { echo "no window titled \"$title\" appeared"; cat "$work/app.log"; exit 1; }
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

# How many pixels of the default background colour, #aa0000, the settings side of a screenshot
# shows: its swatch, flat. (The preview on the left is left out.)
swatch_pixels() { # screenshot scale
    convert "$1" -crop "$((300 * $2))x$((460 * $2))+$((540 * $2))+$((40 * $2))" +repage \
        -fill black +opaque "#aa0000" -fill white -opaque "#aa0000" -format "%[fx:round(mean*w*h)]" info:
}

start QT_SCALE_FACTOR=1
[ "$geometry" = "860x543" ] || { echo "unexpected window size $geometry"; exit 1; }
# The window carries the program's icon.
icon=$(xprop -id "$win" -f _NET_WM_ICON 32c '=$0,$1' _NET_WM_ICON)
echo "$icon" | grep -q "=[1-9][0-9]*,[1-9]" || { echo "the window has no icon: $icon"; exit 1; }
import -window root "$shot_dir/smoke-screenshot.png"
import -window "$win" "$shot_dir/smoke-window.png"
[ -s "$shot_dir/smoke-screenshot.png" ] && [ -s "$shot_dir/smoke-window.png" ] || { echo "no screenshot"; exit 1; }
flat=$(swatch_pixels "$shot_dir/smoke-window.png" 1)
echo "background swatch: $flat pixels exactly #aa0000"
[ "$flat" -gt 1000 ] || { echo "the colour button does not show its colour"; exit 1; }

# File > Save Project (the second entry) asks for a name: a bare "shop" is saved as shop.ipr.
xdotool mousemove --window "$win" 20 10 click 1
sleep 0.5
xdotool key Down Down Return
sleep 1.5
xdotool type --delay 50 shop
xdotool key Return
saved=$HOME/Documents/Glyphwright/shop.ipr
for _ in $(seq 50); do [ -f "$saved" ] && break; sleep 0.1; done
[ -f "$saved" ] || { echo "no $saved after typing a bare name:"; ls -la "$HOME/Documents/Glyphwright"; exit 1; }
echo "saved $saved"

# Platforms (right of File) > Export Packages... and > Device Preview (below Apply to App
# Project...), for the README's pictures.
# Waits for a window titled $1 and sets `other` to it.
window_titled() {
    other=""
    for _ in $(seq 50); do
        other=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$other" ] && return 0
        sleep 0.1
    done
    echo "no window titled \"$1\" appeared"
    exit 1
}
xdotool mousemove --window "$win" 20 10 click 1
sleep 0.5
xdotool key Right Return
window_titled "Export Packages"
sleep 0.5
import -window "$other" "$shot_dir/smoke-export-packages.png"
echo "export packages dialog $(xdotool getwindowgeometry "$other" | sed -n 's/.*Geometry: //p')"
xdotool key Escape
sleep 0.5
xdotool mousemove --window "$win" 20 10 click 1
sleep 0.5
xdotool key Right Down Down Return
window_titled "Device Preview"
sleep 1.5
import -window "$other" "$shot_dir/smoke-device-preview.png"
echo "device preview $(xdotool getwindowgeometry "$other" | sed -n 's/.*Geometry: //p')"
xdotool key Escape
sleep 0.5
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
flat=$(swatch_pixels "$shot_dir/smoke-window-2x.png" 2)
echo "background swatch at 2x: $flat pixels exactly #aa0000"
[ "$flat" -gt 4000 ] || { echo "the colour button does not show its colour at 2x"; exit 1; }
quit 40 20

# The project as the program's one argument, as the desktop passes it.
title="Glyphwright - shop"
start QT_SCALE_FACTOR=1 -- "$saved"
echo "opened with its project: \"$(xdotool getwindowname "$win")\""
quit 20 10
echo "smoke test passed"
