#!/usr/bin/env bash
# Thumbnail benchmark: how long the file manager waits for a level's
# thumbnail, the installed thumbnailer's own command run as a file manager
# runs it (--offscreen, no display, 256 pixels), against the same picture
# drawn in a window: on a virtual display already running, and with xvfb-run
# starting one for the picture as a picture without a display needed before.
# Measured side by side in one run, on the demo level and on generated levels
# of 100 000 and 500 000 triangles.
#
# Each figure is the best of REPEATS runs (default 5) in milliseconds of wall
# time, start-up, load, drawing and the PNG included; the runs take turns, so
# that whatever else the machine does falls on all cases alike. BUILD_DIR
# chooses the build directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
repeats=${REPEATS:-5}
size=256

smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b + 0 < a + 0 ? b : a) }'; }

# Milliseconds of wall time the command takes.
milliseconds() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

measure() {
  local thumbnailer=$1
  shift
  printf '%-16s %10s %12s %12s %12s %10s %9s\n' level triangles offscreen_ms window_ms xvfb_run_ms window/off xvfb/off
  for level in "$@"; do
    local exec=() word offscreen='' window='' xvfb=''
    # The thumbnailer's own Exec line, with the codes a file manager fills in.
    for word in $(sed -n 's/^Exec=//p' "$thumbnailer"); do
      case $word in
        orvandel) exec+=("$build/orvandel") ;;
        %s) exec+=("$size") ;;
        %o) exec+=("$level.png") ;;
        %i) exec+=("$level") ;;
        *) exec+=("$word") ;;
      esac
    done
    local windowed=("$build/orvandel" --frames 1 --no-watch --camera fit --look shaded --cull --size "$size" --screenshot "$level.png" "$level")
    for ((run = 0; run < repeats; ++run)); do
      offscreen=$(smaller "$offscreen" "$(milliseconds env -u DISPLAY "${exec[@]}")")
      window=$(smaller "$window" "$(milliseconds "${windowed[@]}")")
      xvfb=$(smaller "$xvfb" "$(milliseconds env -u DISPLAY xvfb-run -a -s "-screen 0 1280x1024x24" "${windowed[@]}")")
    done
    local triangles
    triangles=$("$build/orvandel" --info "$level" | sed -n 's/^triangles: //p')
    awk -v l="$(basename "$level")" -v t="$triangles" -v o="$offscreen" -v w="$window" -v x="$xvfb" \
      'BEGIN { printf "%-16s %10d %12d %12d %12d %10.2f %9.2f\n", l, t, o, w, x, w / o, x / o }'
  done
}

if [ "${1:-}" = --measure ]; then
  shift
  measure "$@"
  exit
fi

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 --target orvandel orvandel-mklevel >/dev/null
mkdir -p "$build/bench-levels"
levels=$build/bench-levels
"$build/orvandel-mklevel" demo "$levels/demo.d3dbsp"
"$build/orvandel-mklevel" bench --triangles 100000 "$levels/bench-100k.d3dbsp"
"$build/orvandel-mklevel" bench --triangles 500000 "$levels/bench-500k.d3dbsp"

echo "Milliseconds for one $size-pixel thumbnail (best of $repeats): the thumbnailer's command"
echo "offscreen, the same picture in a window on a running virtual display, and with"
echo "xvfb-run starting a display for it; the last two columns are ratios to offscreen."
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --measure packaging/orvandel.thumbnailer \
  "$levels/demo.d3dbsp" "$levels/bench-100k.d3dbsp" "$levels/bench-500k.d3dbsp"
