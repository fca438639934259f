#!/usr/bin/env bash
# check-install.sh BUILD_DIR
# Installs the build into a temporary prefix and checks what a desktop reads.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

id=com.corvanelstudios.Ruvia
fail=0
need() { [ -f "$prefix/$1" ] || { echo "not installed: $1"; fail=1; }; }
need bin/ruvia
need share/applications/$id.desktop
need share/metainfo/$id.metainfo.xml
need share/doc/ruvia/user-guide.md
need share/icons/hicolor/scalable/apps/$id.svg
for size in 16 32 48 64 128 256; do
  need share/icons/hicolor/${size}x${size}/apps/$id.png
done
if [ -e "$prefix/bin/ruvia-standin" ]; then
  echo "the stand-in service is installed by default"
  fail=1
fi
[ "$fail" -eq 0 ] || exit 1

desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml"

# The entry's Exec and Icon name what was installed.
exec_line="$(sed -n 's/^Exec=//p' "$prefix/share/applications/$id.desktop")"
[ -x "$prefix/bin/${exec_line%% *}" ] || { echo "Exec=$exec_line is not in bin/"; exit 1; }
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || { echo "Icon is not $id"; exit 1; }
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
  "$prefix/share/metainfo/$id.metainfo.xml" || { echo "metainfo does not launch $id.desktop"; exit 1; }

# Every picture of docs/screenshots is named in the metainfo and installed
# beside the guide, which shows them.
for shot in "$(dirname "$0")"/../../docs/screenshots/*.png; do
  need share/doc/ruvia/screenshots/"$(basename "$shot")"
  grep -q "/$(basename "$shot")</image>" "$prefix/share/metainfo/$id.metainfo.xml" \
    || { echo "screenshot missing from the metainfo: $(basename "$shot")"; exit 1; }
done
[ "$fail" -eq 0 ] || exit 1
echo "installed and valid: $prefix"
