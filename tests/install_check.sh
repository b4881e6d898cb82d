#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the desktop integration; with "deb" as
# the fourth argument also builds the Debian package and checks its control data and contents.
#   install_check.sh BUILD_DIR APP_ID VERSION [deb]
set -euo pipefail
build=$1 id=$2 version=$3 mode=${4:-install}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

if [ "$mode" = deb ]; then
    (cd "$build" && cpack -G DEB -B "$work" >/dev/null) || fail "cpack failed"
    deb=$(ls "$work"/*.deb) || fail "no package"
    info=$(dpkg-deb --info "$deb")
    depends=$(echo "$info" | sed -n 's/^ Depends: //p')
    echo "Depends: $depends"
    for need in libqt5widgets5 libqt5gui5 libqt5core5a qt5-image-formats-plugins libqt5svg5 libc6; do
        echo "$depends" | grep -q "$need" || fail "package does not depend on $need"
    done
    echo "$info" | grep -q "^ Version: $version" || fail "package version is not $version"
    contents=$(dpkg-deb --contents "$deb")
    for f in usr/bin/glyphwright usr/bin/glyphwright-cli "usr/share/applications/$id.desktop" \
             "usr/share/metainfo/$id.metainfo.xml" "usr/share/icons/hicolor/256x256/apps/$id.png" \
             usr/share/doc/glyphwright/artwork/flat/LICENSE usr/share/doc/glyphwright/copyright \
             usr/share/man/man1/glyphwright.1.gz "usr/share/mime/packages/$id.xml"; do
        echo "$contents" | grep -q "\./$f\$" || fail "package lacks $f"
    done
    # The distribution's own checker: no error and no warning (pedantic and experimental tags
    # shown; the package's own override says why its artwork licences stand beside the copyright).
    tags=$(lintian --fail-on error,warning --pedantic -E --tag-display-limit 0 "$deb" 2>&1) \
        || { echo "$tags"; fail "lintian finds errors or warnings"; }
    echo "$tags" | grep -v "running with root privileges" || true
    echo "package $(basename "$deb") checked, lintian clean"
    exit 0
fi

cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "install failed"
p=$work/prefix
expected=(bin/glyphwright bin/glyphwright-cli "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
          share/doc/glyphwright/README.md share/doc/glyphwright/copyright share/doc/glyphwright/changelog.gz
          share/man/man1/glyphwright.1.gz share/man/man1/glyphwright-cli.1.gz "share/mime/packages/$id.xml")
for set in flat colored pictograms; do
    expected+=("share/doc/glyphwright/artwork/$set/LICENSE" "share/doc/glyphwright/artwork/$set/SOURCES")
done
for size in 16 22 24 32 48 64 128 256 512; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png"
               "share/icons/hicolor/${size}x${size}/mimetypes/application-x-glyphwright-project.png")
done
for f in "${expected[@]}"; do
    [ -s "$p/$f" ] || fail "missing $f"
done
for size in 16 48 512; do
    identify -format '%wx%h' "$p/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -qx "${size}x${size}" \
        || fail "icon $size has the wrong size"
done
desktop-file-validate "$p/share/applications/$id.desktop" || fail "desktop entry invalid"
grep -qx "Exec=glyphwright %f" "$p/share/applications/$id.desktop" || fail "desktop entry does not start glyphwright"
# The desktop hands it the project files of the type the package installs.
grep -qx "MimeType=application/x-glyphwright-project;" "$p/share/applications/$id.desktop" ||
    fail "desktop entry does not open project files"
grep -qx "Icon=$id" "$p/share/applications/$id.desktop" || fail "desktop entry names another icon"
appstreamcli validate --no-net "$p/share/metainfo/$id.metainfo.xml" || fail "metainfo invalid"
grep -q "<release version=\"$version\"" "$p/share/metainfo/$id.metainfo.xml" || fail "metainfo release is not $version"
# Project files get their own type and icon in file managers.
update-mime-database "$p/share/mime" 2>/dev/null || fail "the MIME entry does not compile"
grep -qx "50:application/x-glyphwright-project:\*.ipr" "$p/share/mime/globs2" || fail "*.ipr is not a Glyphwright project"
grep -q "Glyphwright project" "$p/share/mime/application/x-glyphwright-project.xml" || fail "the project type has no name"
# The manual pages format without complaint.
for page in glyphwright glyphwright-cli; do
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$p/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$out" ] || fail "manual page $page: $out"
done
"$p/bin/glyphwright-cli" --version | grep -qx "glyphwright-cli $version" || fail "installed cli does not run"
echo "install layout checked: ${#expected[@]} files"
