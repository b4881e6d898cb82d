#!/usr/bin/env bash
# The composition, project format and export code must stay free of widgets and settings so that
# it runs and is tested without a window. Fails when one of these files includes a QtWidgets
# header, the window's form or the main window.
#   purity_check.sh SOURCE_DIR QTWIDGETS_INCLUDE_DIR
set -euo pipefail
src=$1 widgets=$2
pure=(render/iconrenderer render/graphicrenderer render/artwork render/programicon project/projectformat
      export/exportformats export/exportplan export/fileio export/packagelayers
      export/packagesources export/iconcontainers export/previewsheet export/parallel export/commandline export/platformpackages design/icondesign)
bad=0
for f in "${pure[@]}"; do
    for file in "$src/$f.h" "$src/$f.cpp"; do
        [ -f "$file" ] || continue
        while read -r header; do
            if [ -e "$widgets/$header" ] || [[ "$header" == QtWidgets* ]] || [[ "$header" == QSettings ]] \
               || [[ "$header" == ui/* ]] || [[ "$header" == app/* ]]; then
                echo "$file includes $header"
                bad=1
            fi
        done < <(sed -n 's/^#include [<"]\([^>"]*\)[>"].*/\1/p' "$file")
    done
done
[ $bad -eq 0 ] && echo "pure code includes no widgets"
exit $bad
