#!/usr/bin/env bash
# Makes the README's pictures again from the current build: the demo level
# with the panel's level page shown, written to docs/panel.png. BUILD_DIR
# chooses the build directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 --target orvandel orvandel-mklevel >/dev/null
"$build/orvandel-mklevel" demo "$build/demo.d3dbsp"
mkdir -p docs
out=$PWD/docs/panel.png
# From inside the build directory, so that the page shows a short path.
(cd "$build" && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  ./orvandel --panel 1 --frames 1 --screenshot "$out" demo.d3dbsp >/dev/null)
echo "Wrote docs/panel.png"
