#!/usr/bin/env bash
# Launch screens into a real Capacitor app (made by `npx cap add android` and `npx cap add ios`):
# "glyphwright-cli apply --launch" from the project against @capacitor/assets 3.0.5
# "generate --android --ios" from a 1024 icon and the two 2732 splash sources (made beforehand,
# outside the timing), each into a fresh copy of the app. Runs alternate; prints the medians of
# wall and CPU time (user + system, children included) and their ratios. With LOAD=1 one core is
# kept busy throughout, as on a developer's machine with a build running.
#   bench/peer_launch.sh CAPACITOR_APP [BUILD_DIR] [RUNS]
# The peer is installed by bench/peer_capacitor.sh (PEER_DIR).
set -euo pipefail
app=$(realpath "$1")
build=${2:-build}
runs=${3:-7}
cli=$(realpath "$build/glyphwright-cli")
peer_dir=${PEER_DIR:-$HOME/.cache/glyphwright-bench/capacitor-assets}
peer=$peer_dir/node_modules/@capacitor/assets/bin/capacitor-assets
[ -x "$peer" ] || { echo "run bench/peer_capacitor.sh first: it installs the peer"; exit 2; }
[ -f "$app/capacitor.config.json" ] || [ -f "$app/capacitor.config.ts" ] || { echo "$app is not a Capacitor app"; exit 2; }

work=$(mktemp -d)
load=
trap '[ -n "$load" ] && kill "$load"; rm -rf "$work"' EXIT
. "$(dirname "$0")/projects.sh"
project "$work/default.ipr"
# The peer's sources: the same icon and launch screens, drawn by us once.
mkdir -p "$work/sources"
"$cli" -q render "$work/default.ipr" "$work/sources/icon-only.png"
"$cli" -q package "$work/default.ipr" "$work/pkg" --target ios --launch
cp "$work/pkg/Splash.imageset/Default@1x~universal~anyany.png" "$work/sources/splash.png"
cp "$work/pkg/Splash.imageset/Default@1x~universal~anyany-dark.png" "$work/sources/splash-dark.png"

fresh() {
    rm -rf "$1"
    mkdir -p "$1"
    (cd "$app" && tar cf - --exclude=node_modules --exclude=.glyphwright-backup .) | (cd "$1" && tar xf -)
}
# Prints "wall cpu" in seconds for the command.
timed() {
    local out
    out=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1 )
    echo "$out" | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}

[ "${LOAD:-0}" = 1 ] && { yes >/dev/null & load=$!; }
ours=() theirs=()
for _ in $(seq "$runs"); do
    fresh "$work/ours"
    ours+=("$(timed "$cli" -q apply "$work/default.ipr" "$work/ours" --launch)")
    fresh "$work/peer"
    cp -r "$work/sources" "$work/peer/assets"
    theirs+=("$(cd "$work/peer" && timed node "$peer" generate --android --ios)")
done
[ -f "$work/peer/android/app/src/main/res/drawable-port-xxxhdpi/splash.png" ] || { echo "the peer wrote no launch screens"; exit 1; }
col() { printf '%s\n' "${@:2}" | awk -v c="$1" '{ print $c }' | median; }
ow=$(col 1 "${ours[@]}") oc=$(col 2 "${ours[@]}") tw=$(col 1 "${theirs[@]}") tc=$(col 2 "${theirs[@]}")
echo "== launch screens and icons into $(basename "$app") (medians of $runs${LOAD:+, one core busy})"
echo "glyphwright-cli apply --launch:                 wall $ow s, cpu $oc s"
echo "@capacitor/assets generate --android --ios:     wall $tw s, cpu $tc s"
awk -v a="$ow" -v b="$tw" -v c="$oc" -v d="$tc" 'BEGIN { printf "ratio peer / ours: wall %.2f, cpu %.2f\n", b / a, d / c }'
