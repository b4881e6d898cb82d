#!/usr/bin/env bash
# Whole-process time of the platform packages against @capacitor/assets 3.0.5 (the generator
# Capacitor projects use) on the same designs: the default design, and a photograph (a 640 x 480
# JPEG) as the picture at 150 %. The peer starts from the design's 1024 x 1024 icon and writes its
# Android, iOS and web icons; Glyphwright writes "package --target android,ios,web" and
# "--target all" from the project, and "apply" into a copy of the peer's own project. Runs alternate;
# prints the medians and the ratios.
#   bench/peer_capacitor.sh [BUILD_DIR] [RUNS]
# The peer is installed with npm (Node.js 18 or later) into PEER_DIR the first time, by default
# ~/.cache/glyphwright-bench/capacitor-assets. Its image library, sharp 0.32, fetches its binaries
# from GitHub when installed; where only the npm registry is reachable, sharp 0.33 (whose binaries
# come from the registry) stands in for it, API alike.
set -euo pipefail
build=${1:-build}
runs=${2:-7}
cli=$(realpath "$build/glyphwright-cli")
peer_dir=${PEER_DIR:-$HOME/.cache/glyphwright-bench/capacitor-assets}
command -v node >/dev/null && command -v npm >/dev/null || { echo "needs Node.js and npm"; exit 2; }
command -v convert >/dev/null || { echo "needs ImageMagick's convert"; exit 2; }

if [ ! -x "$peer_dir/node_modules/@capacitor/assets/bin/capacitor-assets" ]; then
    mkdir -p "$peer_dir"
    cat > "$peer_dir/package.json" <<'JSON'
{ "name": "peer", "version": "1.0.0", "private": true,
  "dependencies": { "@capacitor/assets": "3.0.5" } }
JSON
    (cd "$peer_dir" && npm install --no-audit --no-fund >/dev/null 2>&1) || {
        echo "sharp 0.32 could not be installed; using sharp 0.33 from the npm registry"
        cat > "$peer_dir/package.json" <<'JSON'
{ "name": "peer", "version": "1.0.0", "private": true,
  "dependencies": { "@capacitor/assets": "3.0.5" }, "overrides": { "sharp": "0.33.5" } }
JSON
        rm -rf "$peer_dir/node_modules" "$peer_dir/package-lock.json"
        (cd "$peer_dir" && npm install --no-audit --no-fund >/dev/null)
    }
fi
peer=$peer_dir/node_modules/@capacitor/assets/bin/capacitor-assets
echo "peer: @capacitor/assets $(node -p "require('$peer_dir/node_modules/@capacitor/assets/package.json').version")," \
    "sharp $(node -p "require('$peer_dir/node_modules/sharp/package.json').version")"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/projects.sh"
convert -seed 7 -size 640x480 plasma:fractal -blur 0x1 -quality 90 "$work/photo.jpg"
project "$work/default.ipr"
project "$work/photo.ipr" 18=0 22=1 23="$work/photo.jpg" 25=150

ms() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

# The peer's project: the platform folders it writes into, and its source icon.
skeleton() {
    local dir=$1
    rm -rf "$dir"
    mkdir -p "$dir/assets" "$dir/android/app/src/main/res" "$dir/www" \
        "$dir/ios/App/App/Assets.xcassets/AppIcon.appiconset" "$dir/ios/App/App/Assets.xcassets/Splash.imageset"
    for set in AppIcon.appiconset Splash.imageset; do
        echo '{"images":[],"info":{"author":"xcode","version":1}}' > "$dir/ios/App/App/Assets.xcassets/$set/Contents.json"
    done
    echo '{"name":"Bench","icons":[]}' > "$dir/www/manifest.json"
    echo "apply plugin: 'com.android.application'" > "$dir/android/app/build.gradle"
    printf '%s\n' '<?xml version="1.0" encoding="utf-8"?>' \
        '<manifest xmlns:android="http://schemas.android.com/apk/res/android" package="com.example.bench">' \
        '    <application android:icon="@mipmap/ic_launcher" android:roundIcon="@mipmap/ic_launcher_round" />' \
        '</manifest>' > "$dir/android/app/src/main/AndroidManifest.xml"
    cp "$2" "$dir/assets/icon-only.png"
}

for design in default photo; do
    "$cli" -q render "$work/$design.ipr" "$work/$design-1024.png"
    ours=() all=() theirs=() applied=()
    for _ in $(seq "$runs"); do
        rm -rf "$work/out"
        start=$(date +%s%N)
        "$cli" -q package "$work/$design.ipr" "$work/out" --target android,ios,web
        ours+=("$(ms "$start")")
        rm -rf "$work/out"
        start=$(date +%s%N)
        "$cli" -q package "$work/$design.ipr" "$work/out" --target all
        all+=("$(ms "$start")")
        skeleton "$work/app" "$work/$design-1024.png"
        start=$(date +%s%N)
        "$cli" -q apply "$work/$design.ipr" "$work/app"
        applied+=("$(ms "$start")")
        skeleton "$work/peer" "$work/$design-1024.png"
        start=$(date +%s%N)
        (cd "$work/peer" && node "$peer" generate --ios --android --pwa --pwaNoAppleFetch >/dev/null)
        theirs+=("$(ms "$start")")
    done
    [ -n "$(ls "$work/peer/android/app/src/main/res")" ] || { echo "the peer wrote no Android icons"; exit 1; }
    o=$(printf '%s\n' "${ours[@]}" | median)
    a=$(printf '%s\n' "${all[@]}" | median)
    t=$(printf '%s\n' "${theirs[@]}" | median)
    p=$(printf '%s\n' "${applied[@]}" | median)
    echo "== $design design (medians of $runs)"
    echo "glyphwright-cli package --target android,ios,web: $o ms"
    echo "glyphwright-cli package --target all:             $a ms"
    echo "glyphwright-cli apply (the peer's project):      $p ms"
    echo "@capacitor/assets generate --android --ios --pwa: $t ms"
    awk -v t="$t" -v o="$o" -v a="$a" -v p="$p" \
        'BEGIN { printf "ratio peer / android,ios,web: %.2f; peer / all: %.2f; peer / apply: %.2f\n", t / o, t / a, t / p }'
done
