#!/usr/bin/env bash
# Installs the system packages Glyphwright needs on Debian 12, then configures and builds it.
# Safe to run again: packages already present are not fetched, and the build is incremental.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
    g++ cmake ninja-build pkg-config clang-format
    qtbase5-dev qtbase5-dev-tools libqt5svg5-dev
    qttools5-dev qttools5-dev-tools # lrelease, for the English plural forms
    libpng-dev                   # the reference the tests hold our PNG codecs to
    libdeflate-dev               # fast PNG encoding and decoding
    libisal-dev                  # fast inflating of very large PNG pictures, read a row at a time
    qt5-image-formats-plugins    # TIFF and ICNS writers (ICO ships with the base)
    fonts-liberation2            # the window's font
    fonts-dejavu-core            # so the font box lists families
    libbenchmark-dev libx11-dev  # benchmarks (the start-up race watches the X display)
    xvfb xauth xdotool x11-utils imagemagick   # real-window smoke test
    desktop-file-utils appstream dpkg-dev file # install checks and the Debian package
    lintian shared-mime-info man-db             # the package checked as Debian checks its own
    icoutils icnsutils                          # independent readers of the ICO and ICNS containers
    strace                                      # signals at chosen moments of a run, in the tests
    chromium python3                            # the web package checked in a real browser
    aapt android-framework-res                  # the Android resource packager checks the Android package
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The fuzzing script builds with clang in a folder of its own: it wants the packages only.
[ "${1:-}" != --deps-only ] || exit 0

BUILD_DIR=${BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
