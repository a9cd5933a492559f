#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need,
# and only those that are missing, then the tests' tools from the npm
# registry. Safe to run again.
set -euo pipefail

packages=(
  g++ cmake make clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libsdl1.2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libpng-dev libx11-dev libcli11-dev
  nlohmann-json3-dev libembree-dev
  pkg-config libsdl-ttf2.0-dev libfontconfig-dev fonts-dejavu-core
  xvfb xauth xdotool imagemagick unzip
  libegl-dev libegl-mesa0
  help2man desktop-file-utils xdg-utils libfile-mimeinfo-perl shared-mime-info
  dpkg-dev file lintian mmdebstrap
  libtinygltf-dev time bc
  libzip-dev libstb-dev valgrind
)
# The glTF validator the tests run is a Node.js package; a machine without
# Node.js takes Debian's.
command -v npm >/dev/null || packages+=(nodejs npm)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The npm packages as their lock file names them, again only when it changed.
validator="$(dirname "$0")/../tests/support/gltf-validator"
if ! cmp -s "$validator/package-lock.json" "$validator/node_modules/.installed-lock.json"; then
  echo "Installing the glTF validator"
  (cd "$validator" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$validator/package-lock.json" "$validator/node_modules/.installed-lock.json"
fi
