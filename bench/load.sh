#!/usr/bin/env bash
# Measures how long the level load takes against reading the same file with
# one fread, on a level of about 200 MB. Builds what is missing first.
# Environment: BUILD_DIR (build), TRIANGLES (4100000), REPETITIONS (9).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
triangles=${TRIANGLES:-4100000}
repetitions=${REPETITIONS:-9}

source bench/build.sh
build_targets orvandel-mklevel orvandel_bench_load

level="$build/bench-load-$triangles.d3dbsp"
[ -f "$level" ] || "$build/orvandel-mklevel" bench --triangles "$triangles" "$level"
# Into the page cache, so that neither side waits for the disk.
cat "$level" >/dev/null
"$build/bench/orvandel_bench_load" "$level" "$repetitions"
