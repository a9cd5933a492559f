#!/bin/bash
# Proves that two builds show and write the same things: every picture (offscreen and in a
# window driven by key presses) and every text or file output, byte for byte.
#
#   tools/compare-builds.sh BEFORE_BUILD_DIR AFTER_BUILD_DIR [OUT_DIR]
#
# Each build folder holds orvandel and orvandel-mklevel. The levels are written once, by the
# BEFORE generator, so that only the viewers differ. Prints one line per output that differs
# and "N passed, N failed"; exits 0 only when everything is equal. Runs itself under its own
# virtual display: keys and pointer must reach no one else's window, nor theirs ours.
set -u

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 BEFORE_BUILD_DIR AFTER_BUILD_DIR [OUT_DIR]" >&2
    exit 2
fi
if [ -z "${COMPARE_BUILDS_DISPLAY:-}" ]; then
    # -noreset: the server would otherwise turn new windows away while it resets after each
    # viewer quits.
    COMPARE_BUILDS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi

before=$(realpath "$1")
after=$(realpath "$2")
out=$(realpath -m "${3:-/tmp/compare-builds}")
for build in "$before" "$after"; do
    [ -x "$build/orvandel" ] && [ -x "$build/orvandel-mklevel" ] ||
        { echo "no orvandel and orvandel-mklevel in $build" >&2; exit 2; }
done
rm -rf "$out/levels" "$out/before" "$out/after" "$out/missing"
mkdir -p "$out/levels"
"$before/orvandel-mklevel" demo "$out/levels/demo.d3dbsp" >/dev/null &&
    "$before/orvandel-mklevel" bench --triangles 3000 "$out/levels/bench.d3dbsp" >/dev/null ||
    { echo "the BEFORE generator failed" >&2; exit 2; }
levels="demo bench"

# Window pictures are taken at this size; the offscreen ones at 320 x 240.
width=800
height=600

# Standard output, standard error and exit status of one command, in NAME.
text() {
    local name=$1
    shift
    "$@" >"$name" 2>"$name.err"
    echo "exit: $?" >>"$name"
    cat "$name.err" >>"$name" && rm "$name.err"
}

# A picture that neither build made would otherwise pass unseen.
missing() { echo "missing: $side/$1" >>"$out/missing"; }

shot() {
    local name=$1 level=$2
    shift 2
    "$viewer" --offscreen --frames 2 --size 320,240 --screenshot "$name.png" "$@" "$out/levels/$level.d3dbsp" \
        >/dev/null 2>"$name.err" || echo "exit: $?" >>"$name.err"
    [ -s "$name.err" ] || rm "$name.err"
    [ -f "$name.png" ] || missing "$name.png"
}

offscreen() {
    local level=$1 look draw camera page
    for look in classic shaded baked normals; do
        for draw in immediate buffered; do
            for camera in default fit spawn; do
                local where=(--camera "$camera")
                [ "$camera" = default ] && where=()
                shot "$level-$look-$draw-$camera" "$level" --look "$look" --draw "$draw" "${where[@]}"
            done
        done
    done
    # Page 0 (none) is a usage error: its message and status are compared.
    text "$level-panel0.txt" "$viewer" --offscreen --frames 2 --panel 0 "$out/levels/$level.d3dbsp"
    for page in 1 2 3 4; do shot "$level-panel$page" "$level" --panel "$page" --camera fit; done
    shot "$level-entities-fit" "$level" --entities --camera fit
    shot "$level-entities-spawn" "$level" --entities --camera spawn
    # Pixels on surfaces, on markers and on nothing, as the fit camera sees each level.
    local pixel pixels=(5,5 96,103 111,126 59,129)
    [ "$level" = demo ] && pixels=(5,5 112,72 200,180 236,185 111,59)
    for pixel in "${pixels[@]}"; do
        "$viewer" --offscreen --frames 2 --size 320,240 --camera fit --entities --pick "$pixel" \
            "$out/levels/$level.d3dbsp" 2>&1 | grep -v '^frames:' >"$level-pick-$pixel.txt"
    done
    text "$level-info.txt" "$viewer" --info "$out/levels/$level.d3dbsp"
    text "$level-info-json.txt" "$viewer" --info --json "$out/levels/$level.d3dbsp"
    local format
    for format in glb gltf obj; do
        text "$level-export-$format.txt" "$viewer" --export "$level-export.$format" "$out/levels/$level.d3dbsp"
    done
}

# Print Screen after the state's keys, then the next keys only once the viewer says it saved:
# keys sent earlier could land in the same frame and change the picture being taken. The
# picture is renamed after the state, so the next one is NAME-001.png again.
take() {
    local name=$1
    shift
    [ $# -gt 0 ] && xdotool key "$@"
    xdotool key Print
    saved=$((saved + 1))
    local tries=0
    while [ "$(grep -c '^Saved screenshot' "$log")" -lt "$saved" ] && [ $tries -lt 200 ]; do
        sleep 0.05
        tries=$((tries + 1))
    done
    mv "$level-001.png" "$level-window-$name.png" 2>/dev/null || missing "$level-window-$name.png"
}

# One window per level, in the build's folder (Print Screen saves into the current one).
window() {
    level=$1 saved=0 log=$PWD/$1-window.log
    # The pointer stays at the window's centre, where the viewer puts it, and the first
    # click turns mouse look off: nothing turns the view.
    xdotool mousemove $((width / 2)) $((height / 2))
    "$viewer" --size "$width,$height" --camera fit --no-watch "$out/levels/$level.d3dbsp" >"$log" 2>&1 &
    local pid=$! id
    id=$(timeout 10 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
    if [ -z "$id" ] || ! xdotool windowfocus --sync "$id" || ! xdotool click 1; then
        missing "$level window"
    else
        local mode
        # b steps the render mode; p steps all planes, the selected one, none.
        for mode in mode1 mode2 mode3; do
            take "$mode"
            take "$mode-no-fill" t
            take "$mode-no-outlines-corners" t l v
            take "$mode-planes" l v p
            take "$mode-plane-selected" p Up Up
            take "$mode-group-selected" p g Right Right
            take "$mode-group-points" t l
            xdotool key t l g b
        done
        take shaded c
        take baked c
        take normals c
        take shaded-group-plane c c g Right p p Up
        take classic-panel1 r c c c i
        take panel2 F1
        take panel3 F2
        take panel4 F3
        take markers-entity1-panel4 n j
        take markers-entity-last k k F3
        xdotool key Escape
    fi
    local tries=0
    while kill -0 "$pid" 2>/dev/null && [ $tries -lt 100 ]; do
        sleep 0.05
        tries=$((tries + 1))
    done
    kill "$pid" 2>/dev/null
    wait "$pid"
    echo "exit: $?" >>"$log"
    grep -v '^Saved screenshot' "$log" >"$level-window.txt" && rm "$log"
}

for side in before after; do
    viewer=$([ $side = before ] && echo "$before" || echo "$after")/orvandel
    mkdir -p "$out/$side"
    (
        cd "$out/$side" || exit 1
        text help.txt "$viewer" --help
        text version.txt "$viewer" --version
        for level in $levels; do
            offscreen "$level"
            window "$level"
        done
    )
done

# The panel's live figures (load time, frames per second, frame time) differ from run to run:
# their values are blacked out and the pixels compared. Rows are 17 pixels from 14 down,
# columns 8 pixels from 14 across (the 14-pixel panel font's line skip and advance).
same() {
    local rows
    case $1 in
    *panel1*.png) rows="142,$((14 + 13 * 17)) 9999,$((14 + 14 * 17 - 1))" ;;
    *panel3*.png) rows="166,$((14 + 11 * 17)) 9999,$((14 + 13 * 17 - 1))" ;;
    *) cmp -s "$out/before/$1" "$out/after/$1"; return ;;
    esac
    cmp -s <(convert "$out/before/$1" -fill black -draw "rectangle $rows" rgba:-) \
        <(convert "$out/after/$1" -fill black -draw "rectangle $rows" rgba:-)
}

passed=0
failed=0
while read -r name; do
    if [ -f "$out/before/$name" ] && [ -f "$out/after/$name" ] && same "$name"; then
        passed=$((passed + 1))
    else
        echo "differs: $name"
        failed=$((failed + 1))
    fi
done < <( (cd "$out/before" && find . -type f; cd "$out/after" && find . -type f) | sed 's|^\./||' | sort -u)
[ -f "$out/missing" ] && cat "$out/missing" && failed=$((failed + $(wc -l <"$out/missing")))
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
