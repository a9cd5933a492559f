#!/usr/bin/env bash
# Panel benchmark: what showing the panel adds to a frame of the demo level in
# an 800 x 600 window, for each of its pages, against the panel hidden,
# measured side by side on the same virtual display in one run.
#
# Two figures per case, each the best of REPEATS runs (default 7) of FRAMES
# frames (default 200): mean_ms, the viewer's own wall-clock milliseconds per
# frame, and cpu_ms, the processor time the viewer and its rasteriser threads
# spent per frame (start-up included, the same for every case). On a shared
# machine the processor time is the steadier figure. The runs take turns, so
# that whatever else the machine does falls on all cases alike. The first
# panel frame also makes the glyph atlas, once. BUILD_DIR chooses the build
# directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
repeats=${REPEATS:-7}
frames=${FRAMES:-200}

smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b + 0 < a + 0 ? b : a) }'; }

measure() {
  local level=$1
  local cases=(hidden 1 2 3)
  declare -A wall cpu
  local TIMEFORMAT='%U %S'
  for ((run = 0; run < repeats; ++run)); do
    for page in "${cases[@]}"; do
      local shown=() line times
      [ "$page" = hidden ] || shown=(--panel "$page")
      times=$({ time "$build/orvandel" --frames "$frames" "${shown[@]}" "$level" >"$level.out"; } 2>&1)
      line=$(cat "$level.out")
      wall[$page]=$(smaller "${wall[$page]:-}" "${line##*mean_ms: }")
      cpu[$page]=$(smaller "${cpu[$page]:-}" "$(awk -v t="$times" -v f="$frames" \
        'BEGIN { split(t, p, " "); print (p[1] + p[2]) * 1000 / f }')")
    done
  done
  printf '%-8s %9s %9s %9s %9s\n' panel mean_ms added cpu_ms added
  for page in "${cases[@]}"; do
    awk -v p="$page" -v m="${wall[$page]}" -v mh="${wall[hidden]}" -v c="${cpu[$page]}" -v ch="${cpu[hidden]}" \
      'BEGIN { printf "%-8s %9.3f %9.3f %9.3f %9.3f\n", p, m, m - mh, c, c - ch }'
  done
}

if [ "${1:-}" = --measure ]; then
  measure "$2"
  exit
fi

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 --target orvandel orvandel-mklevel >/dev/null
mkdir -p "$build/bench-levels"
level=$build/bench-levels/demo.d3dbsp
"$build/orvandel-mklevel" demo "$level"

echo "Milliseconds per frame on the demo level in an 800 x 600 window, the start-up"
echo "view, with the panel hidden and with pages 1 to 3 shown; best of $repeats runs of"
echo "$frames frames; 'added' is the cost over the hidden panel."
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --measure "$level"
