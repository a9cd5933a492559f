#!/usr/bin/env bash
# Makes the Debian package, checks it with lintian, installs it with apt and
# runs the installed program as a user would: --version, --info, a picture
# without a display, the menu entry and the level file type. The package is
# removed again afterwards unless it was installed before.
#
#   scripts/package.sh [BUILD_DIR]    (default build-package, a Release build)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
dir=${1:-build-package}
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DORVANDEL_TESTS=OFF -DORVANDEL_BENCH=OFF >/dev/null
fi
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/orvandel_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(realpath "$dir"/orvandel_*_"$(dpkg --print-architecture)".deb)
echo "Package: $deb"
dpkg-deb --field "$deb" Version Depends Recommends

echo "== lintian =="
lintian --allow-root --fail-on error --info "$deb"

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
installed_before=no
if dpkg-query -W -f='${Status}' orvandel 2>/dev/null | grep -q 'install ok installed'; then
  installed_before=yes
fi
work=$(mktemp -d)
finish() {
  rm -rf "$work"
  if [ "$installed_before" = no ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq orvandel >/dev/null || true
  fi
}
trap finish EXIT

echo "== Installing =="
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$deb" >/dev/null

echo "== The installed program =="
/usr/bin/orvandel --version
/usr/bin/orvandel-mklevel demo "$work/demo.d3dbsp"
/usr/bin/orvandel --info "$work/demo.d3dbsp" | head -n 3
env -u DISPLAY /usr/bin/orvandel --offscreen --frames 1 --camera fit --size 256 \
  --screenshot "$work/demo.png" "$work/demo.d3dbsp" >/dev/null
file --brief "$work/demo.png" | grep '256 x 256'
desktop-file-validate /usr/share/applications/orvandel.desktop
cp "$work/demo.d3dbsp" "$work/level.dat"
for level in "$work/demo.d3dbsp" "$work/level.dat"; do
  type=$(xdg-mime query filetype "$level")
  echo "$(basename "$level"): $type"
  [ "$type" = application/x-d3dbsp ]
done
echo "Package OK"
