#!/usr/bin/env bash
# Builds the libFuzzer harnesses and runs each for SECONDS (default 60): the
# level reader, then the settings reader; then the images and archives for
# half as long, as they share the budget of one; then replays the image inputs
# under valgrind. Prints the executions of each and the inputs that broke
# them; exits 1 on any finding. The corpus grows in
# build-fuzz/corpus from run to run; findings land in build-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
dir=build-fuzz
cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANDEL_FUZZ=ON -DORVANDEL_TESTS=OFF -DORVANDEL_BENCH=OFF >/dev/null
cmake --build "$dir" -j2 --target fuzz_level fuzz_settings fuzz_assets fuzz_assets_replay \
  orvandel-fuzz-seeds orvandel-fuzz-asset-seeds orvandel-mklevel >/dev/null

seeds=$dir/seeds
rm -rf "$seeds"
mkdir -p "$seeds/level" "$seeds/settings" "$seeds/assets" "$dir/findings"
mkdir -p "$dir/corpus/level" "$dir/corpus/settings" "$dir/corpus/assets"
"$dir/fuzz/orvandel-fuzz-seeds" "$seeds/level" "$seeds/settings"
"$dir/fuzz/orvandel-fuzz-asset-seeds" "$seeds/assets"
# Kinds stb's writers do not make: palettes and a progressive JPEG.
for format in PNG8:palette.png "-type Palette BMP3:palette.bmp" "-type Palette -compress RLE TGA:palette.tga" \
  "-interlace JPEG JPEG:progressive.jpg"; do
  # shellcheck disable=SC2086 # the options and the file name are separate words
  convert -size 16x16 gradient:red-blue -colors 16 ${format%:*}:"$seeds/assets/${format##*:}"
done
"$dir/orvandel-mklevel" demo "$seeds/level/demo.d3dbsp"
for triangles in 4 40; do
  "$dir/orvandel-mklevel" bench --triangles "$triangles" "$seeds/level/bench$triangles.d3dbsp"
done
# The five smallest real levels too, when the test command has converted them.
for level in $(ls -S build-test/corpus/*.d3dbsp 2>/dev/null | tail -n 5); do
  cp "$level" "$seeds/level/"
done

status=0
for target in level settings assets; do
  log=$dir/fuzz_$target.log
  time=$seconds
  [ "$target" = assets ] && time=$(( (seconds + 1) / 2 ))
  # The fuzzer's own exit status tells a finding; the summary below names it.
  set +e
  # Leaks count here: the harnesses run only our code, without SDL or Mesa.
  ASAN_OPTIONS=detect_leaks=1 "$dir/fuzz/fuzz_$target" -max_total_time="$time" -timeout=10 -print_final_stats=1 \
    -dict="fuzz/$target.dict" -artifact_prefix="$dir/findings/$target-" \
    "$dir/corpus/$target" "$seeds/$target" >"$log" 2>&1
  code=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(sed -n 's/.*DONE *cov: \([0-9]*\).*/\1/p' "$log")
  if [ "$code" -eq 0 ]; then
    echo "fuzz_$target: ${runs:-?} executions in ${time} s, ${coverage:-?} edges covered, no findings"
  else
    status=1
    echo "fuzz_$target: FINDING after ${runs:-?} executions (exit $code):"
    grep -E 'ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error|Broken promise|Test unit written' "$log" || tail -n 30 "$log"
  fi
done

# Reads of bytes never written are no sanitizer's finding here; valgrind
# replays every image input the fuzzer kept, and the seeds.
set +e
valgrind -q --error-exitcode=1 "$dir/fuzz/fuzz_assets_replay" -runs=0 "$dir/corpus/assets" "$seeds/assets" \
  >"$dir/replay_assets.log" 2>&1
code=$?
set -e
replayed=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$dir/replay_assets.log")
if [ "$code" -eq 0 ]; then
  echo "fuzz_assets_replay: ${replayed:-?} inputs under valgrind, no reads of unset memory"
else
  status=1
  echo "fuzz_assets_replay: FINDING under valgrind (exit $code):"
  grep -E '^==[0-9]+== (Conditional|Use of|Uninitialised|Invalid|Syscall)' -A8 "$dir/replay_assets.log" | head -n 40
fi
exit "$status"
