#!/usr/bin/env bash
# Export benchmark: --export of the 5 000 000-triangle bench level beside
# --info on the same level, in one table: seconds (wall and CPU), peak memory
# and the files' sizes, then the two ratios the export is held to:
#   time: the .glb export's seconds over --info's (at most 4),
#   memory: the .glb export's peak over the level file's size plus twice the
#           output's (at most 1).
# The .gltf and .obj exports are measured alike, for comparison.
#
# --info and the .glb export alternate, REPEATS times each (default 5), then
# the other formats run as often (their larger output would leave the memory
# more scattered for the next run). The level is in the page cache and each
# run's output reaches the disk before the next starts; times are the best
# run (other work on the machine only ever adds time), peaks the largest. A
# large level's geometry is built on two threads, so CPU seconds may exceed
# wall seconds. Builds what is missing first.
# Environment: BUILD_DIR (build), TRIANGLES (5000000), REPEATS, LEVEL (a
# level file of your own instead of the generated one).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
triangles=${TRIANGLES:-5000000}
repeats=${REPEATS:-5}

source bench/build.sh
build_targets orvandel orvandel-mklevel

level=${LEVEL:-$build/bench-export-$triangles.d3dbsp}
[ -f "$level" ] || "$build/orvandel-mklevel" bench --triangles "$triangles" "$level"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# Into the page cache, so that no run waits for the disk.
cat "$level" >/dev/null

# Each command's runs, one line each: wall seconds, CPU seconds, peak KiB.
declare -A runs
run() {
  local name=$1
  shift
  /usr/bin/time -o "$out/time" -f '%e %U %S %M' "$@" >/dev/null
  # What a run wrote reaches the disk before the next run starts, not during it.
  sync
  read -r wall user system peak <"$out/time"
  runs[$name]+="$wall $(echo "$user + $system" | bc) $peak"$'\n'
}

# Each export writes new files, as a first export does.
export_run() {
  rm -rf "${out:?}/$1"
  mkdir "$out/$1"
  run "$1" "$build/orvandel" --export "$out/$1/level.$1" "$level"
}

names=(info glb gltf obj)
for _ in $(seq "$repeats"); do
  run info "$build/orvandel" --info "$level"
  export_run glb
done
for format in gltf obj; do
  for _ in $(seq "$repeats"); do export_run "$format"; done
done

best() { printf '%s' "${runs[$1]}" | sort -n -k"$2" | head -n1 | cut -d' ' -f"$2"; }
largest() { printf '%s' "${runs[$1]}" | sort -n -k"$2" | tail -n1 | cut -d' ' -f"$2"; }
mib() { echo "scale=1; $1 / 1048576" | bc; }

size_of() { stat -c %s "$@" | paste -sd+ | bc; }
declare -A output=(
  [glb]=$(size_of "$out/glb/level.glb")
  [gltf]=$(size_of "$out/gltf/level.gltf" "$out/gltf/level.bin")
  [obj]=$(size_of "$out/obj/level.obj" "$out/obj/level.mtl")
)
level_bytes=$(size_of "$level")

echo "level: $(basename "$level"), $(mib "$level_bytes") MiB; $repeats runs each, best time, largest peak"
printf '%-16s %9s %9s %10s %11s\n' command wall_s cpu_s peak_MiB output_MiB
for name in "${names[@]}"; do
  label="--export .$name"
  [ "$name" = info ] && label="--info"
  bytes=${output[$name]:-0}
  printf '%-16s %9s %9s %10s %11s\n' "$label" "$(best "$name" 1)" "$(best "$name" 2)" \
    "$(mib $(($(largest "$name" 3) * 1024)))" "$(mib "$bytes")"
done

glb_peak=$(($(largest glb 3) * 1024))
echo "time .glb / --info: wall $(echo "scale=2; $(best glb 1) / $(best info 1)" | bc)," \
  "cpu $(echo "scale=2; $(best glb 2) / $(best info 2)" | bc) (at most 4)"
echo "peak .glb / (level + 2 x output): $(echo "scale=2; $glb_peak / ($level_bytes + 2 * ${output[glb]})" | bc) (at most 1)"
