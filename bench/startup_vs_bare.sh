#!/usr/bin/env bash
# Start-up against the least a Qt program shows: Glyphwright's window and an empty QMainWindow of
# the same size, started alternately on a fresh Xvfb display, each timed from its start until its
# window is on the display and painted. Prints both medians and the ratio; then the same against
# an empty window that, like Glyphwright's, does not load the OpenGL stack, which shows how much
# of the distance is the program's own work.
#   bench/startup_vs_bare.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
build=${1:-build}
rounds=${2:-15}
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
# A settings store of its own, as on a first start.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -br -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display QT_QPA_PLATFORM=xcb
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$build/bench/startup_race" "$rounds" "$build/glyphwright" -- "$build/bench/bare_window" %W %H
echo "Against an empty window without the OpenGL stack:"
"$build/bench/startup_race" "$rounds" "$build/glyphwright" -- \
    env QT_XCB_GL_INTEGRATION=none "$build/bench/bare_window" %W %H
