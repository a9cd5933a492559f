#!/usr/bin/env bash
# Textures benchmark: the time the textured look adds before its first frame
# on a real level, its images in the game's 90 MB texture archive.
#
# The level is the corpus level whose material count is nearest 40. Each
# figure is the best of REPEATS runs (default 3) of the whole program, offscreen,
# one frame at 640 x 480: classic (nothing looked for), textured with the
# archive (found and decoded on the worker threads while the level is read,
# uploaded before the first frame), and the difference, which is what a user
# waits for the images, in wall time and in CPU time. The textures come from the Debian package kept in
# CORPUS_CACHE (default ~/.cache/orvandel-corpus), unpacked once into
# TEXTURES_DIR (default /tmp/orvandel-bench-textures). BUILD_DIR chooses the
# build directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
repeats=${REPEATS:-3}
cache=${CORPUS_CACHE:-$HOME/.cache/orvandel-corpus}
unpacked=${TEXTURES_DIR:-/tmp/orvandel-bench-textures}
levels=${CORPUS_LEVELS:-$HOME/.cache/orvandel/corpus}

deb=$(ls "$cache"/openarena-081-textures_*.deb 2>/dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
  echo "textures.sh: no texture package in $cache (scripts/corpus.sh fetches it)" >&2
  exit 1
fi
archive=$(find "$unpacked" -name '*.pk3' 2>/dev/null | head -n 1 || true)
if [ -z "$archive" ]; then
  mkdir -p "$unpacked"
  dpkg-deb -x "$deb" "$unpacked"
  archive=$(find "$unpacked" -name '*.pk3' | head -n 1)
fi

# The level whose material count is nearest 40.
best="" best_distance=1000000 best_materials=0
for level in $(find "$levels" -name '*.d3dbsp' | sort); do
  materials=$("$build/orvandel" --info "$level" 2>/dev/null | sed -n 's/^materials: //p')
  [ -n "$materials" ] || continue
  distance=$(( materials > 40 ? materials - 40 : 40 - materials ))
  if [ "$distance" -lt "$best_distance" ]; then
    best=$level best_distance=$distance best_materials=$materials
  fi
done
[ -n "$best" ] || { echo "textures.sh: no corpus level in $levels" >&2; exit 1; }

# Wall and CPU (user + system) seconds of one whole run, the best of the
# repeats by wall time. On a shared machine the wall time counts the other
# users' work too; the CPU time is this run's own.
best_seconds() {
  local best_wall="" best_cpu="" wall cpu
  for _ in $(seq "$repeats"); do
    read -r wall cpu < <(/usr/bin/time -f "%e %U %S" "$build/orvandel" --offscreen --frames 1 --size 640,480 \
      --no-watch "$@" 2>&1 >/dev/null | tail -n 1 | awk '{ print $1, $2 + $3 }')
    if [ -z "$best_wall" ] || [ "$(echo "$wall < $best_wall" | bc)" = 1 ]; then best_wall=$wall best_cpu=$cpu; fi
  done
  echo "$best_wall $best_cpu"
}

found=$("$build/orvandel" --info "$best" --assets "$archive" 2>/dev/null | sed -n 's/^textures: //p')
read -r classic_wall classic_cpu < <(best_seconds "$best" --look classic)
read -r textured_wall textured_cpu < <(best_seconds "$best" --look textured --assets "$archive")
echo "level: $(basename "$best") ($best_materials materials; textures $found)"
echo "archive: $(basename "$archive") ($(( $(stat -c %s "$archive") / 1000000 )) MB)"
echo "load average: $(cut -d ' ' -f 1 /proc/loadavg) on $(nproc) cores"
printf '%-10s %8s %8s\n' run wall_s cpu_s
printf '%-10s %8.3f %8.3f\n' classic "$classic_wall" "$classic_cpu" textured "$textured_wall" "$textured_cpu"
printf '%-10s %8.3f %8.3f\n' added "$(echo "$textured_wall - $classic_wall" | bc)" "$(echo "$textured_cpu - $classic_cpu" | bc)"
