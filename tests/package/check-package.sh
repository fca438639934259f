#!/usr/bin/env bash
# check-package.sh DEB
# Checks the package's contents and lintian's verdict; as root, also installs
# it with apt-get into a throw-away Debian root (debootstrap; kept in
# RUVIA_PACKAGE_ROOT_CACHE between runs if set) and starts the installed
# program on a virtual display until its login window shows.
set -euo pipefail
deb="$(realpath "$1")"
id=com.corvanelstudios.Ruvia

contents="$(dpkg-deb -c "$deb")"
for f in ./usr/bin/ruvia ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml \
         ./usr/share/doc/ruvia/user-guide.md ./usr/share/icons/hicolor/256x256/apps/$id.png; do
  grep -q " $f\$" <<<"$contents" || { echo "not in the package: $f"; exit 1; }
done
if grep -q "ruvia-standin" <<<"$contents"; then echo "the stand-in is in the package"; exit 1; fi
depends="$(dpkg-deb -f "$deb" Depends)"
for p in libqt6widgets6 libqt6network6 libpugixml1v5 libarchive13 qt6-qpa-plugins; do
  grep -q "$p" <<<"$depends" || { echo "Depends lacks $p: $depends"; exit 1; }
done
lintian --fail-on error --suppress-tags no-manual-page "$deb"
echo "contents, dependencies and lintian: fine"

if [ "$(id -u)" -ne 0 ] || ! command -v debootstrap >/dev/null; then
  echo "not root or no debootstrap: the install into a throw-away root is skipped"
  exit 0
fi
mirror=http://deb.debian.org/debian
if ! curl -sfI --max-time 20 "$mirror/dists/bookworm/Release" >/dev/null; then
  echo "the Debian mirror is not reachable: the install into a throw-away root is skipped"
  exit 0
fi
work="$(mktemp -d)"
root="$work/root"
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cache="${RUVIA_PACKAGE_ROOT_CACHE:-}"
if [ -n "$cache" ] && [ -f "$cache/etc/debian_version" ]; then
  cp -a "$cache" "$root"
else
  debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 \
    || { tail -5 "$work/debootstrap.log"; exit 1; }
  [ -n "$cache" ] && cp -a "$root" "$cache"
fi
cp "$deb" "$root/tmp/"
mount -t proc proc "$root/proc"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
  "/tmp/$(basename "$deb")" xvfb xauth x11-utils >"$work/apt.log" 2>&1 || { tail -20 "$work/apt.log"; exit 1; }
# The entry's Exec line, run as the desktop would, on a fresh home.
exec_line="$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")"
chroot "$root" env -i HOME=/tmp/home PATH=/usr/bin:/bin sh -c "
  mkdir -p /tmp/home
  xvfb-run -a sh -c '
    $exec_line & pid=\$!
    for i in \$(seq 100); do
      if xwininfo -root -tree | grep -q \"Ruvia :: \"; then kill \$pid; echo \"login window shown\"; exit 0; fi
      sleep 0.1
    done
    kill \$pid; echo \"no login window\"; exit 1'
"
