#!/usr/bin/env bash
# Whole-process time of writing the iOS set (twelve PNGs) for the default project with
# glyphwright-cli, against ImageMagick producing the same twelve sizes from a 1024 x 1024 PNG in
# one convert process. Prints the median of RUNS runs of each, then the ratio.
#   bench/cli_vs_imagemagick.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-15}
cli=$build/glyphwright-cli
command -v convert >/dev/null || { echo "needs ImageMagick's convert (apt-get install imagemagick)"; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The start-up project with the iOS set chosen (line 52 Android off, line 59 iOS on).
. "$(dirname "$0")/projects.sh"
project "$work/ios.ipr" 52=0 59=1
"$cli" -q render "$work/ios.ipr" "$work/icon1024.png"

sizes=(29 40 58 60 76 80 87 120 152 167 180 1024)
im_args=("$work/icon1024.png")
for s in "${sizes[@]}"; do
    im_args+=( \( +clone -resize "${s}x${s}" -write "$work/im/Icon$s.png" +delete \) )
done
im_args+=(null:)

time_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(( (end - start) / 1000000 ))
}

mkdir -p "$work/im" "$work/gw"
# The runs alternate, so that both meet the same state of the machine.
gw_times=() im_times=()
for _ in $(seq "$runs"); do
    gw_times+=("$(time_ms "$cli" -q icons "$work/ios.ipr" "$work/gw" --no-stamp)")
    im_times+=("$(time_ms convert "${im_args[@]}")")
done
gw=$(printf '%s\n' "${gw_times[@]}" | median)
im=$(printf '%s\n' "${im_times[@]}" | median)
[ "$(ls "$work/gw" | wc -l)" -eq 12 ] && [ "$(ls "$work/im" | wc -l)" -eq 12 ] || { echo "missing files"; exit 1; }
echo "glyphwright-cli icons (12 PNGs): ${gw} ms (median of $runs)"
echo "ImageMagick convert (12 PNGs):   ${im} ms (median of $runs)"
awk -v a="$im" -v b="$gw" 'BEGIN { printf "ratio ImageMagick / glyphwright-cli: %.2f\n", a / b }'
