#!/usr/bin/env bash
# End-to-end: start the real program under Xvfb, find its window, check its size and icon and that
# its colour swatches show their colour exactly, take screenshots (the whole screen and the window,
# the one the README shows), save a project through the real file dialog by typing a bare name, and
# quit it through File > Exit. Then once more at twice the density: the window doubles in device
# pixels and the preview is drawn at them, not enlarged. Then a designer's journey from a logo to
# store-ready folders, its actions counted, at both densities. Last, the program is started with
# the saved project as its argument and opens it.
#   smoke.sh PROGRAM SCREENSHOT_DIR DRAG_SOURCE
set -euo pipefail
program=$1
shot_dir=${2:-.}
drag_source=${3:?the drag source program}
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

# The window $1 (named $2) lies wholly on the 1920 x 1200 screen: nothing of it is cut off.
on_screen() {
    local at size
    at=$(xdotool getwindowgeometry "$1" | sed -n 's/.*Position: \([0-9]*,[0-9]*\).*/\1/p')
    size=$(xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p')
    if [ $((${at%,*} + ${size%x*})) -gt 1920 ] || [ $((${at#*,} + ${size#*x})) -gt 1200 ]; then
        echo "$2 ($size at $at) reaches past the screen"
        exit 1
    fi
}

# Platforms (right of File) > Export Packages... and > Device Preview (below Apply to App
# Project... and Undo Last Apply...), for the README's pictures.
# Waits for a window titled $1 and sets `other` to it.
window_titled() {
    other=""
    for _ in $(seq 50); do
        other=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$other" ] && return 0
        sleep 0.1
    done
    echo "no window titled \"$1\" appeared"
    cat "$work/app.log"
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
xdotool key Right Down Down Down Return
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

# The designer's journey, counted: from the first start, with a logo in the Pictures folder, to
# store-ready folders for every platform and a look at the Device Preview. The logo comes from a
# stand-in for a file manager, dragged onto the window as from any desktop. Once at each density,
# each time from a fresh home, with screenshots of the dialog and the preview.
journey() { # scale
    local scale=$1 actions=0 pictures
    export HOME=$work/journey-$scale XDG_CONFIG_HOME=$work/journey-$scale/config
    pictures=$HOME/Pictures
    mkdir -p "$pictures"
    printf '%s\n' '<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24" width="600" height="600">' \
        '<rect x="2" y="2" width="20" height="20" rx="4" fill="#0e7c86"/><circle cx="12" cy="12" r="6" fill="#ffca28"/></svg>' \
        >"$pictures/logo.svg"
    start QT_SCALE_FACTOR="$scale"
    "$drag_source" "$pictures/logo.svg" >/dev/null 2>&1 &
    local source_pid=$! source=""
    for _ in $(seq 50); do
        source=$(xdotool search --name "^Drag source\$" 2>/dev/null | head -n 1 || true)
        [ -n "$source" ] && break
        sleep 0.1
    done
    [ -n "$source" ] || { echo "the drag source did not appear"; exit 1; }
    sleep 1.5
    # 1: the logo dragged from the file manager onto the window becomes the picture, in use.
    xdotool mousemove --window "$source" 80 40 mousedown 1
    for _ in 1 2 3 4 5 6 7 8; do xdotool mousemove_relative 20 -40; sleep 0.1; done
    xdotool mousemove --window "$win" $((240 * scale)) $((300 * scale)); sleep 0.3
    xdotool mousemove --window "$win" $((250 * scale)) $((310 * scale)); sleep 0.3
    xdotool mouseup 1
    actions=$((actions + 1))
    sleep 1
    kill $source_pid 2>/dev/null || true
    import -window "$win" "$shot_dir/journey-window-${scale}x.png"
    # The logo's yellow is in the preview: the dropped picture is the one in use.
    yellow=$(convert "$shot_dir/journey-window-${scale}x.png" -fill black +opaque "#ffca28" -fill white \
        -opaque "#ffca28" -format "%[fx:round(mean*w*h)]" info:)
    [ "$yellow" -gt 1000 ] || { echo "the dropped logo is not the picture ($yellow pixels of its yellow)"; exit 1; }
    # 2, 3: Platforms > Export Packages...
    # (A menu opened by a click has no entry chosen: the keys walk to the one a click would take.)
    xdotool mousemove --window "$win" $((60 * scale)) $((8 * scale)) click 1
    sleep 0.5
    xdotool key Down Return
    actions=$((actions + 2))
    window_titled "Export Packages"
    sleep 0.5
    import -window "$other" "$shot_dir/journey-export-packages-${scale}x.png"
    on_screen "$other" "Export Packages at ${scale}x"
    # 4, 5: Export, every platform ticked from the first start, into the folder it asks for (the
    # folder dialog opens in Pictures; Return chooses it).
    xdotool key Return
    actions=$((actions + 1))
    sleep 1.5
    xdotool key Return
    actions=$((actions + 1))
    for _ in $(seq 100); do [ -s "$pictures/linux/install-icons.sh" ] && break; sleep 0.1; done
    sleep 1
    for target in android ios macos windows web linux; do
        [ -d "$pictures/$target" ] || { echo "no $target folder after the export"; ls "$pictures"; exit 1; }
    done
    import -window "$other" "$shot_dir/journey-exported-${scale}x.png"
    on_screen "$other" "Export Packages with its outcome at ${scale}x"
    # 6: Close. (Without a window manager the keyboard follows the pointer once the folder
    # dialog is gone: the dialog is given it back.)
    xdotool windowfocus --sync "$other"
    xdotool key Escape
    actions=$((actions + 1))
    sleep 0.5
    # 7, 8: Platforms > Device Preview.
    xdotool mousemove --window "$win" $((60 * scale)) $((8 * scale)) click 1
    sleep 0.5
    xdotool key Down Down Down Down Return
    actions=$((actions + 2))
    window_titled "Device Preview"
    sleep 1.5
    import -window "$other" "$shot_dir/journey-device-preview-${scale}x.png"
    on_screen "$other" "the Device Preview at ${scale}x"
    if [ "$scale" = 2 ]; then
        # The first Android panel, in device pixels: drawn at them, not enlarged from half as many.
        # Halved and doubled again, a panel drawn at the device pixels loses its fine edges (a
        # root-mean-square change above 3 % here); one enlarged from half as many hardly changes
        # (1.4 % for this panel enlarged so).
        convert "$shot_dir/journey-device-preview-2x.png" -crop 300x300+60+120 +repage "$work/panel.png"
        convert "$work/panel.png" -resize 50% -resize 200% "$work/panel-halved.png"
        change=$(compare -metric RMSE "$work/panel.png" "$work/panel-halved.png" null: 2>&1 |
            sed -n 's/.*(\(.*\))/\1/p' || true)
        echo "Device Preview panel at 2x: halved and doubled it changes by $change (root mean square)"
        awk -v c="$change" 'BEGIN { exit !(c > 0.03) }' || { echo "the Device Preview's panels are enlarged"; exit 1; }
    fi
    echo "journey at ${scale}x: store-ready folders for six platforms and the Device Preview in $actions actions"
    [ "$actions" -le 10 ] || { echo "more than 10 actions"; exit 1; }
    # The design is unsaved now (the program would ask): the journey ends here.
    kill $app_pid
    wait $app_pid 2>/dev/null || true
    app_pid=""
}
home=$HOME
journey 1
journey 2
export HOME=$home XDG_CONFIG_HOME=$home/config

# The project as the program's one argument, as the desktop passes it.
title="Glyphwright - shop"
start QT_SCALE_FACTOR=1 -- "$saved"
echo "opened with its project: \"$(xdotool getwindowname "$win")\""
quit 20 10
echo "smoke test passed"
