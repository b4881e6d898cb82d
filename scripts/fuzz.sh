#!/usr/bin/env bash
# Fuzzes the project file reader with libFuzzer for a bounded time (default 120 s):
#   ./scripts/fuzz.sh [SECONDS]
# Needs clang (installed here when missing). Findings are written to build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
if ! command -v clang++ >/dev/null; then
    SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends clang
fi
out=build-fuzz
mkdir -p "$out/corpus" "$out/findings"
qt_flags=$(pkg-config --cflags Qt5Core Qt5Gui)
qt_libs=$(pkg-config --libs Qt5Core Qt5Gui)
clang++ -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. $qt_flags \
    tests/fuzz/fuzz_project.cpp project/projectformat.cpp render/artwork.cpp design/icondesign.cpp \
    $qt_libs -o "$out/fuzz_project"
# Seed with a real project file: the start-up state.
printf '128\n1\n170\n0\n0\n0\n0\n170\n255\n0\n0\n127\n0\n0\n0\n1024\n0\n1\n0\n0\n0\n0\n\n0\n100' > "$out/corpus/seed.ipr"
"$out/fuzz_project" -max_total_time="$seconds" -artifact_prefix="$out/findings/" -print_final_stats=1 "$out/corpus"
