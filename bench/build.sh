# Sourced by the benchmark scripts: build_targets TARGET... configures the
# build directory $build (an existing one keeps its options; a new one gets
# an optimised build), builds the targets and says which kind of build the
# figures come from.
build_targets() {
  if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" >/dev/null
  else
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build" -j2 --target "$@" >/dev/null
  grep -E '^CMAKE_BUILD_TYPE|^ORVANDEL_SANITIZE' "$build/CMakeCache.txt" | sed 's/:[A-Z]*=/ = /'
}
