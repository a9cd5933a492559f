#!/usr/bin/env bash
# Makes the README's pictures again from the current build: the demo level
# with the panel's level page shown, written to docs/panel.png, and the demo
# level in each look, 640 x 480, written to docs/look-LOOK.png, and its entity
# markers and labels, written to docs/markers.png. BUILD_DIR
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

printf 'width=640\nheight=480\n' >"$build/screenshot-window.txt"
for look in classic shaded baked normals; do
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$build/orvandel" --settings "$build/screenshot-window.txt" \
    --camera=-620,-360,430,28,-16 --look "$look" --frames 1 --screenshot "docs/look-$look.png" \
    "$build/demo.d3dbsp" >/dev/null
  echo "Wrote docs/look-$look.png"
done

xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$build/orvandel" --settings "$build/screenshot-window.txt" \
  --camera=-60,-260,110,8,-8 --entities --frames 1 --screenshot docs/markers.png "$build/demo.d3dbsp" >/dev/null
echo "Wrote docs/markers.png"
