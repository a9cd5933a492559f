#!/usr/bin/env bash
# Frame benchmark: the viewer's mean milliseconds per frame with each drawing
# path, --draw immediate (glBegin/glEnd) and the default, buffered, on Mesa's
# software rasteriser and with GALLIUM_NOOP=1, all in one table.
#
# With GALLIUM_NOOP=1 Mesa draws nothing, so a frame costs only what the CPU
# spends handing it over: what a hardware GPU would leave to the CPU. On the
# software rasteriser the CPU also rasterises every pixel.
#
# Levels: empty (no geometry: the fixed cost of a frame), the demo scene, a
# real-size level of 40 000 triangles, generated levels of 100 000 and
# 500 000 triangles, and culling-500k: the 500 000-triangle level seen from a
# camera inside it looking along +x, with all but a few hundredths of it out
# of view.
#
# A second table sets the looks side by side on the buffered path, in the
# same view: classic (as above), shaded, baked and normals, and what each
# look's own arrays add per triangle (B/tri). A third sets one-sided drawing
# (--cull) beside both sides on the buffered path and the software
# rasteriser, in classic and shaded, from the start and fitted (--camera fit),
# on the 500 000-triangle level and on the largest real level of the corpus
# when scripts/corpus.sh has fetched it. The first argument chooses the
# tables: paths, looks, cull or (the default) all.
#
# Each figure is the best of REPEATS runs (default 3) of about
# SECONDS_PER_RUN seconds of frames each (default 2), in a 1024 x 768 window,
# render mode 2 with all triangle passes on (the start-up view). Speed-up is
# immediate over buffered. B/tri is the buffered path's arrays per triangle.
# BUILD_DIR chooses the build directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
repeats=${REPEATS:-3}
seconds=${SECONDS_PER_RUN:-2}

# The mean frame time of one run: noop (0 or 1), drawing path, frames, level
# and the viewer's further options.
run_ms() {
  local line noop=()
  [ "$1" = 0 ] || noop=(GALLIUM_NOOP=1)
  line=$(env "${noop[@]}" "$build/orvandel" --settings "$levels/window.txt" --draw "$2" --frames "$3" "${@:4}")
  echo "${line##*mean_ms: }"
}

# The best of several runs, each long enough to fill the time asked for
# (other work on the machine only ever adds time). Mesa's no-op driver never
# frees what immediate mode hands it, about 250 bytes a triangle a frame, so
# those runs are kept to a few frames.
best_ms() {
  local frames best="" run most=3000
  [ "$1$2" = 1immediate ] && most=8
  frames=$(awk -v m="$(run_ms "$1" "$2" 3 "${@:3}")" -v s="$seconds" -v most="$most" \
    'BEGIN { n = int(s * 1000 / (m > 0.01 ? m : 0.01)); print (n < 3 ? 3 : n > most ? most : n) }')
  for ((run = 0; run < repeats; ++run)); do
    best=$(awk -v a="$best" -v b="$(run_ms "$1" "$2" "$frames" "${@:3}")" \
      'BEGIN { print (a == "" || b + 0 < a + 0 ? b : a) }')
  done
  echo "$best"
}

measure() {
  printf '%-29s | %-30s | %-30s\n' "" "software rasteriser, ms" "GALLIUM_NOOP=1, ms"
  printf '%-12s %9s %6s | %10s %10s %8s | %10s %10s %8s\n' level triangles B/tri immediate buffered speed-up \
    immediate buffered speed-up
  local name level options
  while read -r name level options; do
    local file=$levels/$level.d3dbsp triangles bytes figures=() noop
    triangles=$("$build/orvandel" --info "$file" | awk '/^triangles:/ { print $2 }')
    bytes=$("$build/bench/orvandel_bench_buffers" "$file")
    for noop in 0 1; do
      # shellcheck disable=SC2086 # the options are separate words
      figures+=("$(best_ms "$noop" immediate "$file" $options)" "$(best_ms "$noop" buffered "$file" $options)")
    done
    awk -v n="$name" -v t="$triangles" -v b="$bytes" -v si="${figures[0]}" -v sb="${figures[1]}" \
      -v ni="${figures[2]}" -v nb="${figures[3]}" 'BEGIN {
        printf "%-12s %9d %6s | %10.3f %10.3f %7.1fx | %10.3f %10.3f %7.1fx\n", n, t,
          (t > 0 ? sprintf("%.0f", b / t) : "-"), si, sb, si / sb, ni, nb, ni / nb }'
  done <<LEVELS
empty empty
demo demo
bench-40k bench-40k
bench-100k bench-100k
bench-500k bench-500k
culling-500k bench-500k --camera 4000,4700,0,90,0
LEVELS
}

# The looks on the buffered path: software rasteriser, then no-op.
measure_looks() {
  printf '%-12s %9s | %-22s | %-44s | %-33s\n' "" "" "added B/tri" "software rasteriser, ms" "GALLIUM_NOOP=1, ms"
  printf '%-12s %9s | %6s %6s %6s | %8s %8s %8s %8s %6s | %8s %8s %8s %6s\n' level triangles shaded baked normals \
    classic shaded baked normals ratio classic shaded baked ratio
  local name triangles classic look added figures noop
  for name in demo bench-100k bench-500k; do
    local file=$levels/$name.d3dbsp
    triangles=$("$build/orvandel" --info "$file" | awk '/^triangles:/ { print $2 }')
    classic=$("$build/bench/orvandel_bench_buffers" "$file")
    added=()
    for look in shaded baked normals; do
      added+=("$(awk -v b="$("$build/bench/orvandel_bench_buffers" "$file" "$look")" -v c="$classic" -v t="$triangles" \
        'BEGIN { printf "%.0f", (b - c) / t }')")
    done
    figures=()
    for look in classic shaded baked normals; do figures+=("$(best_ms 0 buffered "$file" --look "$look")"); done
    for look in classic shaded baked; do figures+=("$(best_ms 1 buffered "$file" --look "$look")"); done
    awk -v n="$name" -v t="$triangles" -v a="${added[*]}" -v f="${figures[*]}" 'BEGIN {
      split(a, b, " "); split(f, m, " ")
      printf "%-12s %9d | %6s %6s %6s | %8.3f %8.3f %8.3f %8.3f %5.2fx | %8.3f %8.3f %8.3f %5.2fx\n", n, t,
        b[1], b[2], b[3], m[1], m[2], m[3], m[4], m[2] / m[1], m[5], m[6], m[7], m[6] / m[5] }'
  done
  echo "ratio: shaded over classic"
}

# One-sided drawing beside both sides: buffered, software rasteriser.
measure_cull() {
  printf '%-20s %-8s %-6s %9s | %10s %10s %6s\n' level look camera triangles both_ms one_ms ratio
  local real name file look camera options triangles both one
  real=$(find "$HOME/.cache/orvandel/corpus" -name '*.d3dbsp' -printf '%s %p\n' 2>/dev/null | sort -n | tail -1 |
    cut -d' ' -f2-)
  while read -r name file look camera; do
    [ -f "$file" ] || continue
    options=(--look "$look")
    [ "$camera" = start ] || options+=(--camera "$camera")
    triangles=$("$build/orvandel" --info "$file" | awk '/^triangles:/ { print $2 }')
    both=$(best_ms 0 buffered "$file" "${options[@]}")
    one=$(best_ms 0 buffered "$file" "${options[@]}" --cull)
    awk -v n="$name" -v l="$look" -v c="$camera" -v t="$triangles" -v b="$both" -v o="$one" \
      'BEGIN { printf "%-20s %-8s %-6s %9d | %10.3f %10.3f %5.2fx\n", n, l, c, t, b, o, o / b }'
  done <<VIEWS
bench-500k $levels/bench-500k.d3dbsp classic start
bench-500k $levels/bench-500k.d3dbsp classic fit
bench-500k $levels/bench-500k.d3dbsp shaded fit
$(basename "${real:-none}" .d3dbsp) ${real:-none} classic start
$(basename "${real:-none}" .d3dbsp) ${real:-none} classic fit
$(basename "${real:-none}" .d3dbsp) ${real:-none} shaded fit
VIEWS
  echo "ratio: one-sided over both sides"
}

if [ "${1:-}" = --measure ]; then
  levels=$2
  case ${3:-all} in
    paths) measure ;;
    looks) measure_looks ;;
    cull) measure_cull ;;
    *) measure; echo; measure_looks; echo; measure_cull ;;
  esac
  exit
fi

cmake -S . -B "$build" -DORVANDEL_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target orvandel orvandel-mklevel orvandel_bench_buffers >/dev/null
grep -E '^CMAKE_BUILD_TYPE|^ORVANDEL_SANITIZE' "$build/CMakeCache.txt" | sed 's/:[A-Z]*=/ = /'

levels=$build/bench-levels
mkdir -p "$levels"
printf 'width=1024\nheight=768\n' >"$levels/window.txt"
# A version-4 header ("IBSP", 4) and a directory of 39 empty lumps.
{ printf 'IBSP\004\000\000\000'; head -c $((39 * 8)) /dev/zero; } >"$levels/empty.d3dbsp"
"$build/orvandel-mklevel" demo "$levels/demo.d3dbsp"
for triangles in 40000 100000 500000; do
  "$build/orvandel-mklevel" bench --triangles "$triangles" "$levels/bench-$((triangles / 1000))k.d3dbsp"
done

xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --measure "$levels" "${1:-all}"
