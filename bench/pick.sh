#!/usr/bin/env bash
# Pointing benchmark, side by side in one run: building the ray-casting scene
# of the 500 000- and 5 000 000-triangle bench levels against loading them;
# the median pick over 10 000 pixels of the view --camera fit gives; and what
# pointing adds to a frame with panel page 3 shown (the demo level and the
# 500 000-triangle level in an 800 x 600 window), on Mesa's software
# rasteriser and again with GALLIUM_NOOP=1, where the rasteriser draws nothing
# and what is left is the CPU's part, what a hardware GPU would leave. On the
# software rasteriser the outline and crosshair are timed between two
# glFinish calls, so their figure holds the flush of the rasteriser too.
# BUILD_DIR chooses the build directory (default: build), FRAMES the frames
# per window case (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
frames=${FRAMES:-30}

source bench/build.sh
build_targets orvandel-mklevel orvandel_bench_pick

levels=$build/bench-levels
mkdir -p "$levels"
for triangles in 500000 5000000; do
  level=$levels/bench-$triangles.d3dbsp
  [ -f "$level" ] || "$build/orvandel-mklevel" bench --triangles "$triangles" "$level"
  cat "$level" >/dev/null  # into the page cache, so that the load does not wait for the disk
done
"$build/orvandel-mklevel" demo "$levels/demo.d3dbsp"

windows=(--window "$levels/demo.d3dbsp" --window "$levels/bench-500000.d3dbsp" --frames "$frames")
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  "$build/bench/orvandel_bench_pick" "$levels/bench-500000.d3dbsp" "$levels/bench-5000000.d3dbsp" "${windows[@]}"
echo
echo "With GALLIUM_NOOP=1:"
GALLIUM_NOOP=1 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  "$build/bench/orvandel_bench_pick" "${windows[@]}" | sed -n '/page 3/,$p'
