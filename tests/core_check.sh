#!/usr/bin/env bash
# The core library stays widget-free: none of the symbols it leaves undefined is one that the
# QtWidgets library defines, and the command-line program built on it does not load QtWidgets.
#   core_check.sh CORE_LIBRARY QTWIDGETS_LIBRARY CLI
set -euo pipefail
core=$1 widgets=$2 cli=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
nm -D --defined-only "$widgets" | awk '{print $3}' | sort -u >"$work/widgets"
nm --undefined-only "$core" 2>/dev/null | awk '$1 == "U" {print $2}' | sort -u >"$work/needed"
[ -s "$work/widgets" ] && [ -s "$work/needed" ] || { echo "cannot read the symbols"; exit 1; }
if comm -12 "$work/widgets" "$work/needed" | c++filt | grep .; then
    echo "the core library uses QtWidgets (above)"
    exit 1
fi
if readelf -d "$cli" | grep -q "NEEDED.*libQt5Widgets"; then
    echo "$cli loads QtWidgets"
    exit 1
fi
echo "core: $(wc -l <"$work/needed") undefined symbols, none from QtWidgets; $(basename "$cli") does not load it"
