#!/usr/bin/env bash
# Writes every file the command line makes (icons, image, render, preview and package --target
# all) for five sample designs into OUTDIR, one folder per design. Run it with two builds and
# compare the folders byte for byte to show that a change of the code changes no output:
#   tools/write_samples.sh OLD/glyphwright-cli /tmp/old
#   tools/write_samples.sh build/glyphwright-cli /tmp/new
#   diff -r /tmp/old /tmp/new && echo identical
# The custom picture is generated with ImageMagick (a fixed seed), so both runs read the same one.
set -euo pipefail
cli=$(realpath "$1")
out=$2
command -v convert >/dev/null || { echo "needs ImageMagick's convert"; exit 2; }
. "$(dirname "$0")/../bench/projects.sh"
rm -rf "$out"
mkdir -p "$out/projects"
cd "$out/projects"
convert -seed 7 -size 640x480 plasma:tan-navy -quality 90 photo.jpg

project default.ipr
project gradient.ipr 2=0 6=1 13=100 14=0 15=900 16=1024 1=200
project transparent-coloured.ipr 2=0 17=1 18=0 20=1 21=12 25=80
project custom150.ipr 18=0 22=1 23=photo.jpg 25=150 29=-40
project long-text.ipr 31="Glyphwright Studio 2026" 33=120 34=1 41=1 42=6 46=1 47=12 48=135 18=0 24=1 \
    35=250 36=220 37=40 74=1 75=60 52=0 59=1 92=1 93=55 76=5 80=7 90=0 88=1

for design in default gradient transparent-coloured custom150 long-text; do
    dir=$out/$design
    mkdir -p "$dir"
    "$cli" -q icons "$design.ipr" "$dir/icons" --no-stamp
    "$cli" -q image "$design.ipr" "$dir/image.png"
    "$cli" -q render "$design.ipr" "$dir/render.png"
    "$cli" -q render "$design.ipr" "$dir/render.jpg" --size 300
    "$cli" -q render "$design.ipr" "$dir/render.ico" --size 256
    "$cli" -q render "$design.ipr" "$dir/render.icns" --size 512
    "$cli" -q preview "$design.ipr" "$dir/preview.png"
    "$cli" -q package "$design.ipr" "$dir/package" --target all
done
echo "$(find "$out" -type f ! -path '*/projects/*' | wc -l) files in $out"
