#!/usr/bin/env bash
# The web package in a real browser: writes it for the default design under the sub-path /app/ of a
# site, with its start-up images, with a page carrying its head snippet, and hands it to
# web_check.py.
#   web_check.sh GLYPHWRIGHT_CLI
set -euo pipefail
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
command -v chromium >/dev/null || { echo "scripts/setup.sh installs chromium"; exit 1; }
. "$here/../bench/projects.sh"
project "$work/Shop.ipr"
"$cli" -q package "$work/Shop.ipr" "$work/site/app" --target web --base-path /app/ --launch
{
    echo '<!doctype html><html><head><meta charset="utf-8"><title>Shop</title>'
    cat "$work/site/app/head-snippet.html"
    echo '</head><body>Shop</body></html>'
} >"$work/site/app/index.html"
python3 "$here/web_check.py" "$work/site" /app/
