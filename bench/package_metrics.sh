#!/usr/bin/env bash
# The package facts of four telling designs (default; picture at 150 %; transparent background with
# a coloured picture; black 600 pt "Ab" on white) and the whole-process time of
# "package --target all" for the default design (median of RUNS runs).
#   bench/package_metrics.sh [BUILD_DIR] [RUNS] [CLI]
set -euo pipefail
build=${1:-build}
runs=${2:-9}
cli=${3:-$build/glyphwright-cli}
metrics=$build/bench/package_metrics
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/projects.sh"
project "$work/default.ipr"
project "$work/picture150.ipr" 25=150
project "$work/transparent-coloured.ipr" 2=0 17=1 18=0 20=1
project "$work/black-Ab-on-white.ipr" 3=255 4=255 5=255 18=0 24=1 31=Ab 35=0 36=0 37=0

for name in default picture150 transparent-coloured black-Ab-on-white; do
    "$cli" -q package "$work/$name.ipr" "$work/$name" --target all
    echo "== $name"
    "$metrics" "$work/$name"
done

times=$(for _ in $(seq "$runs"); do
    rm -rf "$work/timed"
    start=$(date +%s%N)
    "$cli" -q package "$work/default.ipr" "$work/timed" --target all
    echo $(( ($(date +%s%N) - start) / 1000000 ))
done | median)
echo "package --target all (default design): ${times} ms (median of $runs)"
