#!/usr/bin/env bash
# Measures how long the level load takes against reading the same file with
# one fread, on a level of about 183 MB (2.4 million vertices); then the
# viewer's --info against a process doing only that read, with the ratio and
# the peak memory of each. Builds what is missing first.
# Environment: BUILD_DIR (build), TRIANGLES (3730000), REPETITIONS (7),
# VIEWER (the build's orvandel; another build's, to compare).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
triangles=${TRIANGLES:-3730000}
repetitions=${REPETITIONS:-7}

source bench/build.sh
build_targets orvandel orvandel-mklevel orvandel_bench_load
viewer=${VIEWER:-$build/orvandel}

level="$build/bench-load-$triangles.d3dbsp"
[ -f "$level" ] || "$build/orvandel-mklevel" bench --triangles "$triangles" "$level"
# Into the page cache, so that neither side waits for the disk.
cat "$level" >/dev/null
"$build/bench/orvandel_bench_load" "$level" "$repetitions" "$viewer"
