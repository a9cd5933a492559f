#!/bin/sh
# Every folder of the program includes and links only what lies below it:
#   level                   itself
#   pick, export, report,   themselves and level
#   assets
#   render                  itself, assets, pick and level
#   input                   itself, render, assets, pick and level
#   viewer                  all of them
# Usage: check-layers.sh SOURCE_DIR
# Names each include that reaches upward or sideways, by file and line, and
# each of our libraries that links one it may not; exits 1 when any does.
set -u
source_dir=${1:?usage: check-layers.sh SOURCE_DIR}
cd "$source_dir" || exit 2

folders="level pick export report assets render input viewer"

below() {
    case $1 in
    level) echo "level" ;;
    pick | export | report | assets) echo "$1 level" ;;
    render) echo "render assets pick level" ;;
    input) echo "input render assets pick level" ;;
    viewer) echo "$folders" ;;
    esac
}

failed=0

# The folder of ours holding a header, or nothing for one from elsewhere.
folder_of() {
    for folder in $folders; do
        if [ -f "$folder/$1" ]; then
            echo "$folder"
            return
        fi
    done
}

for folder in $folders; do
    allowed=" $(below "$folder") "
    for file in "$folder"/*.h "$folder"/*.cpp; do
        [ -f "$file" ] || continue
        grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
            sed 's/^\([0-9]*\):[^"]*"\([^"]*\)".*/\1 \2/' >"${TMPDIR:-/tmp}/check-layers.$$"
        while read -r line header; do
            reached=$(folder_of "$header")
            [ -n "$reached" ] || continue
            case $allowed in *" $reached "*) continue ;; esac
            echo "$file:$line: includes \"$header\" from $reached/, which is not below $folder/"
            failed=1
        done <"${TMPDIR:-/tmp}/check-layers.$$"
        rm -f "${TMPDIR:-/tmp}/check-layers.$$"
    done
done

# The libraries' links, as CMake sees them, from a configure of their own so
# that the build being tested is left alone.
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
if ! cmake -S . -B "$work/build" -DORVANDEL_TESTS=OFF -DORVANDEL_BENCH=OFF --graphviz="$work/links.dot" \
    >"$work/configure.log" 2>&1; then
    cat "$work/configure.log"
    echo "check-layers.sh: the configure for the link graph failed"
    exit 1
fi
links=$(awk '
    /\[ label = "/ { name = $0; sub(/.*label = "/, "", name); sub(/".*/, "", name); label[$1] = name }
    / -> / && $1 ~ /^"node/ { edge[++n] = $1 " " $3 }
    END { for (k = 1; k <= n; ++k) { split(edge[k], e, " "); print label[e[1]], label[e[2]] } }
' "$work/links.dot")
[ -n "$links" ] || { echo "check-layers.sh: the link graph holds no links"; exit 1; }
printf '%s\n' "$links" >"$work/links.txt"
while read -r from to; do
    case $from in orvandel_*) ;; *) continue ;; esac
    case $to in orvandel_*) ;; *) continue ;; esac
    from_folder=${from#orvandel_}
    to_folder=${to#orvandel_}
    case " $folders " in *" $from_folder "*) ;; *) continue ;; esac
    case " $folders " in *" $to_folder "*) ;; *) continue ;; esac
    case " $(below "$from_folder") " in *" $to_folder "*) continue ;; esac
    echo "$from links $to, which is not below it"
    failed=1
done <"$work/links.txt"

exit $failed
