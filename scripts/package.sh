#!/usr/bin/env bash
# Makes the Debian package, checks it with lintian and installs it on a clean
# Debian 12 made for the purpose (mmdebstrap, from the Debian archive, thrown
# away afterwards): dpkg -i, then apt-get -f install for the dependencies it
# declares. There the installed program prints its version, reads a level
# with --info, draws a picture without a display and exports it as glTF. Nothing is installed on
# this machine.
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

echo "== Installed on a clean Debian 12 =="
# dpkg -i alone leaves the package unconfigured on a fresh system, whose
# libraries it does not fetch; apt-get -f install brings what it declares.
check='
cd /tmp
dpkg -i orvandel_*.deb >/dev/null 2>&1 || echo "dpkg -i: dependencies not yet installed"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -f >/dev/null 2>&1
dpkg-query -W -f="\${Package} \${Version}: \${Status}\n" orvandel | grep "install ok installed"
orvandel --version
orvandel-mklevel demo demo.d3dbsp
orvandel --info demo.d3dbsp | head -n 3
env -u DISPLAY orvandel --offscreen --frames 1 --camera fit --size 256 --screenshot demo.png demo.d3dbsp
head -c 24 demo.png | od -An -tx1 | tr -d " \n" | grep -q "^89504e470d0a1a0a0000000d494844520000010000000100"
echo "demo.png: a PNG of 256 by 256 pixels"
env -u DISPLAY orvandel --export demo.glb demo.d3dbsp
head -c 4 demo.glb | grep -q "^glTF$"
echo "demo.glb: binary glTF"
'
mmdebstrap --variant=apt --quiet --customize-hook="copy-in $deb /tmp" \
  --customize-hook="chroot \"\$1\" sh -ec '$check'" bookworm /dev/null
echo "Package OK"
