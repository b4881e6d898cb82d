#!/usr/bin/env bash
# Fuzzes the project file reader, the custom picture loader and the PNG readers (against libpng)
# with libFuzzer, each for a bounded time (default 120 s):
#   ./scripts/fuzz.sh [SECONDS] [project|picture|png]
# The program is built with clang, instrumented and with AddressSanitizer and UndefinedBehavior-
# Sanitizer, in build-fuzz/ (clang and ImageMagick are installed when missing). The PNG fuzzer is
# seeded with the PNG conformance suite when it is in ../shared/pngsuite (or $GLYPHWRIGHT_PNGSUITE)
# and with pictures of every colour type, depth and interlacing. Findings go to
# build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
only=${2:-}
./scripts/setup.sh --deps-only
need=()
command -v clang++ >/dev/null || need+=(clang)
dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed" ||
    need+=(libclang-rt-14-dev) # libFuzzer and the sanitizers' runtimes
command -v convert >/dev/null || need+=(imagemagick)
if [ ${#need[@]} -gt 0 ]; then
    SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${need[@]}"
fi
out=build-fuzz
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitizers" -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
    -DGLYPHWRIGHT_FUZZERS=ON -DGLYPHWRIGHT_TESTS=OFF -DGLYPHWRIGHT_BENCHMARKS=OFF >/dev/null
targets=(fuzz_project fuzz_picture fuzz_png)
[ -z "$only" ] || targets=("fuzz_$only")
ninja -C "$out" "${targets[@]}"
mkdir -p "$out/findings"

seed() { # target
    local corpus=$out/corpus-$1
    mkdir -p "$corpus"
    case $1 in
    fuzz_project)
        # The real start-up file, written by the target itself.
        GLYPHWRIGHT_FUZZ_SEED="$corpus/startup.ipr" "$out/tests/fuzz/fuzz_project" -runs=0 >/dev/null 2>&1 ;;
    fuzz_picture)
        for f in png jpg bmp tiff gif ico; do
            [ -e "$corpus/seed.$f" ] || convert -size 7x5 gradient:red-blue "$corpus/seed.$f"
        done
        local head='<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="24" height="24" viewBox="0 0 24 24">'
        printf '%s' "$head" '<rect x="4" y="4" width="16" height="16" fill="#1565c0"/><circle cx="12" cy="12" r="5"/></svg>' \
            >"$corpus/seed.svg"
        gzip -9 -c "$corpus/seed.svg" >"$corpus/seed.svgz"
        # Text, images (a file beside it and a data: URI), and <use> repeating a group.
        printf '%s' "$head" '<text x="2" y="20" font-size="12" font-family="sans-serif">Ab</text></svg>' >"$corpus/seed-text.svg"
        printf '%s' "$head" '<image width="24" height="24" xlink:href="seed.png"/><image width="8" height="8" href="data:image/png;base64,' \
            "$(base64 -w0 "$corpus/seed.png")" '"/></svg>' >"$corpus/seed-image.svg"
        printf '%s' "$head" '<defs><g id="a"><rect width="2" height="2"/><use xlink:href="#b"/></g><g id="b"><circle r="1"/></g></defs>' \
            '<use xlink:href="#a"/><use xlink:href="#a" x="4"/><use xlink:href="#c"/></svg>' >"$corpus/seed-use.svg"
        # Paths, arcs, transforms and gradients, which the vector layers read.
        printf '%s' "$head" '<defs><linearGradient id="g" x2="1" y2="1" gradientTransform="rotate(10)"><stop offset="0" stop-color="#f80"/>' \
            '<stop offset="1" stop-color="rgb(0,80,160)" stop-opacity=".5"/></linearGradient><radialGradient id="r" href="#g" r=".4"/></defs>' \
            '<g transform="translate(1 2) skewX(5)"><path d="M4 4a8 8 0 1 0 .1 0zm2 2h6v6H6zq3-2 6 0t6 0" fill="url(#g)" fill-rule="evenodd"/>' \
            '<polyline points="2,20 12,14 22,20" fill="none" stroke="url(#r)" stroke-width="2" stroke-linejoin="round"/></g></svg>' \
            >"$corpus/seed-paths.svg" ;;
    fuzz_png)
        local suite=${GLYPHWRIGHT_PNGSUITE:-../shared/pngsuite}
        if [ -d "$suite" ]; then cp "$suite"/*.png "$corpus"/; else echo "no PNG suite in $suite"; fi
        for interlace in None PNG; do
            for kind in gray:1 gray:2 gray:4 gray:8 gray:16 rgb:8 rgb:16 palette:8 graya:8 graya:16 rgba:8 rgba:16; do
                local type=${kind%:*} depth=${kind#*:} name=$corpus/made-$kind-$interlace.png
                local options=(-depth "$depth" -interlace "$interlace")
                case $type in
                gray) options+=(-colorspace Gray -define png:color-type=0) ;;
                graya) options+=(-colorspace Gray -alpha set -define png:color-type=4) ;;
                rgb) options+=(-define png:color-type=2) ;;
                rgba) options+=(-alpha set -define png:color-type=6) ;;
                palette) options+=(-colors 9 -define png:color-type=3) ;;
                esac
                [ -e "$name" ] || convert -size 13x7 gradient:red-blue "${options[@]}" "${name/made-/tmp-}" &&
                    mv "${name/made-/tmp-}" "$name" 2>/dev/null || true
            done
        done ;;
    esac
}

# A small quarantine keeps the sanitizer's own memory well under the fuzzer's limit. Fontconfig
# keeps what it reads of its configuration once for the process (an SVG's text starts it).
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64}
printf 'leak:libfontconfig\n' >"$out/leaks.supp"
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/$out/leaks.supp}
# An input that takes more than 30 s is a finding too (a loop that never ends, say).
for target in "${targets[@]}"; do
    seed "$target"
    "$out/tests/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -artifact_prefix="$out/findings/$target-" \
        -print_final_stats=1 "$out/corpus-$target"
done
