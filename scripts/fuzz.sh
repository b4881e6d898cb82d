#!/usr/bin/env bash
# Fuzzes the project file reader and the custom picture loader with libFuzzer, each for a bounded
# time (default 120 s):
#   ./scripts/fuzz.sh [SECONDS] [project|picture]
# Needs clang and ImageMagick (installed here when missing). Findings go to build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
only=${2:-}
need=()
command -v clang++ >/dev/null || need+=(clang)
command -v convert >/dev/null || need+=(imagemagick)
if [ ${#need[@]} -gt 0 ]; then
    SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${need[@]}"
fi
out=build-fuzz
mkdir -p "$out/findings"
qt_flags=$(pkg-config --cflags Qt5Core Qt5Gui)
qt_libs=$(pkg-config --libs Qt5Core Qt5Gui)
build() { # name sources...
    local name=$1; shift
    clang++ -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. $qt_flags "$@" $qt_libs \
        -o "$out/$name"
}
run() { # name
    "$out/$1" -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="$out/findings/$1-" \
        -print_final_stats=1 "$out/corpus-$1"
}

if [ -z "$only" ] || [ "$only" = project ]; then
    build fuzz_project tests/fuzz/fuzz_project.cpp project/projectformat.cpp render/artwork.cpp base/fileio.cpp
    mkdir -p "$out/corpus-fuzz_project"
    # Seeded with the real start-up file, written by the target itself.
    GLYPHWRIGHT_FUZZ_SEED="$out/corpus-fuzz_project/startup.ipr" "$out/fuzz_project" -runs=0 >/dev/null 2>&1
    run fuzz_project
fi
if [ -z "$only" ] || [ "$only" = picture ]; then
    build fuzz_picture tests/fuzz/fuzz_picture.cpp project/custompicture.cpp base/fileio.cpp \
        render/iconrenderer.cpp render/artwork.cpp -lpng
    seeds=$out/corpus-fuzz_picture
    mkdir -p "$seeds"
    for f in png jpg bmp tiff gif ico; do
        [ -e "$seeds/seed.$f" ] || convert -size 7x5 gradient:red-blue "$seeds/seed.$f"
    done
    run fuzz_picture
fi
