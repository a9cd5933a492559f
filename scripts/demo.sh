#!/usr/bin/env bash
# Installs what is missing, builds, writes the demo level and opens the viewer
# on it. Extra arguments go to the viewer (try --help).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# Only the two programs it runs: the tests and benchmarks take minutes more.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target orvandel orvandel-mklevel
build/orvandel-mklevel demo build/demo.d3dbsp

if [ -n "${DISPLAY:-}" ]; then
  exec build/orvandel "$@" build/demo.d3dbsp
fi
# No display: run on a virtual one, a few seconds' worth, and keep a picture.
echo "No DISPLAY: running on a virtual display; the last frame goes to build/demo.png"
exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" build/orvandel --frames 300 --screenshot build/demo.png "$@" build/demo.d3dbsp
