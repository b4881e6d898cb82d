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

defaults=(128 1 170 0 0 0 0 170 255 0 0 127 0 0 0 1024 0 1 0 0 0 0 "" 0 100 255 255 255 0 0
          "" 0 600 0 255 255 255 0 0 0 0 10 0 0 0 0 50 45 0 0 0
          1 1 1 1 1 1 1 0 1 1 1 1 1 1 1 1 1 1 1 1 0 1024 0 80
          0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 200 0 80)
project() { # name line=value...
    local v=("${defaults[@]}") name=$1; shift
    for change in "$@"; do v[$(( ${change%%=*} - 1 ))]=${change#*=}; done
    printf '%s\n' "${v[@]:0:92}" > "$work/$name.ipr"
    printf '%s' "${v[92]}" >> "$work/$name.ipr"
}
project default
project picture150 25=150
project transparent-coloured 2=0 17=1 18=0 20=1
project black-Ab-on-white 3=255 4=255 5=255 18=0 24=1 31=Ab 35=0 36=0 37=0

for name in default picture150 transparent-coloured black-Ab-on-white; do
    "$cli" -q package "$work/$name.ipr" "$work/$name" --target all
    echo "== $name"
    "$metrics" "$work/$name"
done

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
times=$(for _ in $(seq "$runs"); do
    rm -rf "$work/timed"
    start=$(date +%s%N)
    "$cli" -q package "$work/default.ipr" "$work/timed" --target all
    echo $(( ($(date +%s%N) - start) / 1000000 ))
done | median)
echo "package --target all (default design): ${times} ms (median of $runs)"
