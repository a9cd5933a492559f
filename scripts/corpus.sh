#!/usr/bin/env bash
# The corpus of real levels the tests run over: the maps of Debian's
# openarena-081-maps package (GPL), version-46 levels converted to ours.
#
#   scripts/corpus.sh fetch
#       Downloads the package once and takes the maps' .bsp files out of its
#       .pk3 archives, into $cache/orvandel-corpus/maps; beside it, the same
#       game's openarena-081-textures package, whose archive the textured
#       corpus tests read in place. Needs the network the first time only.
#   scripts/corpus.sh convert CONVERTER LINK
#       Converts the fetched maps with CONVERTER (a built orvandel-mklevel)
#       into $cache/orvandel/corpus/<the converter's hash>/, reused while the
#       converter is unchanged, and points the symbolic link LINK at it.
#       Without fetched maps it removes LINK and says so: the corpus tests
#       then skip, unless ORVANDEL_REQUIRE_CORPUS is set.
#
# $cache is ${XDG_CACHE_HOME:-$HOME/.cache}. Nothing is written to the checkout.
set -euo pipefail

cache=${XDG_CACHE_HOME:-$HOME/.cache}
downloads=$cache/orvandel-corpus
maps=$downloads/maps
package=openarena-081-maps

# Prints the path of the package's .deb in the downloads, fetching it first
# when it is not there.
download() {
  local name=$1 deb
  deb=$(ls "$downloads/${name}"_*.deb 2>/dev/null | tail -n 1 || true)
  if [ -z "$deb" ]; then
    echo "Downloading $name into $downloads" >&2
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    (cd "$downloads" && { apt-get download -qq "$name" ||
      { "${sudo[@]}" apt-get update -qq && apt-get download -qq "$name"; }; }) >&2
    deb=$(ls "$downloads/${name}"_*.deb | tail -n 1)
  fi
  echo "$deb"
}

fetch() {
  mkdir -p "$downloads"
  download openarena-081-textures >/dev/null
  [ -f "$maps/.complete" ] && return 0
  local deb
  deb=$(download "$package")
  local work
  work=$(mktemp -d)
  trap 'rm -rf "$work"' RETURN
  dpkg-deb -x "$deb" "$work/package"
  mkdir -p "$work/maps"
  find "$work/package" -name '*.pk3' -print0 |
    xargs -0 -I{} unzip -q -o -j {} 'maps/*.bsp' -d "$work/maps"
  local count
  count=$(find "$work/maps" -name '*.bsp' | wc -l)
  if [ "$count" -eq 0 ]; then
    echo "ERROR: No .bsp file in '$deb'." >&2
    return 1
  fi
  touch "$work/maps/.complete"
  rm -rf "$maps"
  mv "$work/maps" "$maps"
  echo "Fetched $count levels into $maps"
}

# One manifest line per level: the file name, then the counts the converter
# printed, in the header's order.
fields=(materials planes textureGroups vertices triangles entityBytes surfaces converted split)

convert() {
  local converter=$1 link=$2
  if [ ! -f "$maps/.complete" ]; then
    rm -f "$link"
    echo "No corpus: run scripts/corpus.sh fetch to have the tests run over real levels."
    return 0
  fi
  local key out
  key=$(sha256sum "$converter" | cut -c1-16)
  out=$cache/orvandel/corpus/$key
  if [ ! -f "$out/manifest.tsv" ]; then
    rm -rf "$out.partial"
    mkdir -p "$out.partial"
    local started=$SECONDS
    (IFS=$'\t'; echo "file	${fields[*]}	leftOut") >"$out.partial/manifest.tsv"
    for bsp in "$maps"/*.bsp; do
      local name log
      name=$(basename "$bsp" .bsp).d3dbsp
      log=$out.partial/${name%.d3dbsp}.log
      "$converter" import-v46 "$bsp" "$out.partial/$name" >"$log"
      awk -v name="$name" -v fields="${fields[*]}" '
        BEGIN { n = split(fields, order, " ") }
        /^left out, / { leftOut += $NF; next }
        { sub(/:$/, "", $1); value[$1] = $2 }
        END {
          line = name
          for (i = 1; i <= n; ++i) line = line "\t" value[order[i]]
          print line "\t" leftOut + 0
        }' "$log" >>"$out.partial/manifest.tsv"
    done
    mv "$out.partial" "$out"
    echo "Converted $(($(wc -l <"$out/manifest.tsv") - 1)) levels into $out in $((SECONDS - started)) s"
  fi
  touch "$out"
  # Corpora of converters not used for a fortnight go.
  find "$cache/orvandel/corpus" -mindepth 1 -maxdepth 1 -type d -mtime +14 -exec rm -rf {} +
  ln -sfn "$out" "$link"
}

case ${1:-} in
  fetch) fetch ;;
  convert) [ $# -eq 3 ] || { echo "usage: $0 convert CONVERTER LINK" >&2; exit 2; }; convert "$2" "$3" ;;
  *) echo "usage: $0 fetch | convert CONVERTER LINK" >&2; exit 2 ;;
esac
