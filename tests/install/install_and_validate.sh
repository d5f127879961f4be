#!/usr/bin/env bash
# Installs the build into a temporary prefix, as a packager would, and checks what a desktop reads there:
# both programs, the desktop entry, the AppStream metainfo and the icon in every size, each through its
# validator. Arguments: the build folder and the project's version.
set -euo pipefail
build_dir=$1
version=$2
id=io.github.vantrelle.Vantrelle

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for program in vantrelle vantrelle-tool; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done
[ "$("$prefix/bin/vantrelle" --version)" = "vantrelle $version" ] || fail "the installed vantrelle does not answer --version"
# Every command but the picture ones is in the tool's command module, which the installed tool must find.
"$prefix/bin/vantrelle-tool" help >/dev/null || fail "the installed vantrelle-tool cannot load its command module"

desktop=$prefix/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
# Started from a menu with no argument, the program opens the user's own catalogue.
grep -qx 'Exec=vantrelle' "$desktop" || fail "the desktop entry does not start plain vantrelle"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"

metainfo=$prefix/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses $metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the metainfo launches no $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
grep -q '<image>https://.*\.png</image>' "$metainfo" || fail "the metainfo has no screenshot"
grep -qF 'Information courtesy of IMDb (https://www.imdb.com). Used with permission.' "$metainfo" \
    || fail "the metainfo lacks the title data credit"
grep -qF 'This product uses the TMDB API but is not endorsed or certified by TMDB.' "$metainfo" \
    || fail "the metainfo lacks TMDB's attribution"

icons=$prefix/share/icons/hicolor
[ -f "$icons/scalable/apps/$id.svg" ] || fail "the scalable icon is not installed"
for size in 16 22 24 32 48 64 128 256; do
    png=$icons/${size}x${size}/apps/$id.png
    [ -f "$png" ] || fail "the ${size}x${size} icon is not installed"
    [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "$png is not ${size}x${size}"
done
echo "installed and valid: $prefix"
