#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test
# on a virtual display; makes the Debian package and checks it on a clean
# Debian 12; then runs the tests again in an AddressSanitizer + UBSan build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# The real levels the corpus tests run over; here their absence is a failure.
scripts/corpus.sh fetch
export ORVANDEL_REQUIRE_CORPUS=1
jobs=$(nproc)

run_suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DORVANDEL_WERROR=ON -DORVANDEL_BENCH=OFF "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  # -noreset: the X server resets when its last client leaves, and SDL's
  # video start closes its probe connection before it opens the real one, so
  # a window could fail to open now and then.
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

echo "== Tests =="
run_suite build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== Debian package =="
scripts/package.sh build-test

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
# Mesa and SDL keep allocations until exit; leaks of ours are not what this run hunts.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DORVANDEL_SANITIZE=ON

echo "== Fuzzing the level and settings readers =="
scripts/fuzz.sh 60
