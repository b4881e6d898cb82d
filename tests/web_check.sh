#!/usr/bin/env bash
# The web package in a real browser: writes it for the default design under the sub-path /app/ of a
# site, with its start-up images, with a page carrying its head snippet, and hands it to
# web_check.py; then the same for an SVG logo under /logo/, whose SVG favicon it checks light and
# dark.
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
# An SVG logo: the SVG favicon is linked first, and follows the browser's dark mode.
cat >"$work/logo.svg" <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24"><circle cx="12" cy="12" r="8" fill="#102040"/></svg>
SVG
project "$work/Logo.ipr" 18=0 22=1 23="$work/logo.svg"
"$cli" -q package "$work/Logo.ipr" "$work/site/logo" --target web --base-path /logo/ --launch
{
    echo '<!doctype html><html><head><meta charset="utf-8"><title>Logo</title>'
    cat "$work/site/logo/head-snippet.html"
    echo '</head><body>Logo</body></html>'
} >"$work/site/logo/index.html"
python3 "$here/web_check.py" "$work/site" /logo/
