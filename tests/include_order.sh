#!/usr/bin/env bash
# Includes run one way: each layer of the product code may include only the layers below it (and
# itself). Prints the include arrows between layers with their counts, and fails on any arrow
# against the order, naming the file and the line.
#   tests/include_order.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# Bottom to top, one layer a folder: the window's parts (ui/) below the window itself (app/); the
# build tools (resources/bake, packaging) sit on top of everything.
order=(base resources design render export project packages cli ui app tools)
rank() {
    local i
    for i in "${!order[@]}"; do [ "${order[$i]}" = "$1" ] && { echo "$i"; return; }; done
    echo "unknown layer $1" >&2
    exit 2
}
layer() {
    case "$1" in
    resources/bake/* | packaging/*) echo tools ;;
    *) echo "${1%%/*}" ;;
    esac
}

against=0
arrows=$(mktemp)
trap 'rm -f "$arrows"' EXIT
for file in $(find app ui base design render export project packages cli resources packaging \
    -name '*.cpp' -o -name '*.h' | sort); do
    from=$(layer "$file")
    while IFS=: read -r line included; do
        target=${included#*\"}
        to=$(layer "$target")
        [ "$from" = "$to" ] || echo "$from -> $to" >>"$arrows"
        if [ "$(rank "$to")" -gt "$(rank "$from")" ]; then
            echo "against the order ($from may not include $to): $file:$line: #include \"${target%\"}\""
            against=$((against + 1))
        fi
    done < <(grep -n '^#include "' "$file" | sed 's/^\([0-9]*\):#include /\1:/')
done
echo "include arrows between layers (order: ${order[*]}):"
sort "$arrows" | uniq -c
[ "$against" -eq 0 ] || { echo "$against includes against the order"; exit 1; }
echo "every include follows the order"
