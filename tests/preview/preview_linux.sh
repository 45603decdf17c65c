#!/usr/bin/env bash
# The preview on Linux: "Orveline.scr /p <host>" shows the picture in a host window made here,
# pixel for pixel at 152x112 and on black beyond it in a larger host; destroying the host ends
# the preview; a host id that names no window ends the preview at once.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
: "${ORVELINE_DIST:?}" "${ORVELINE_SOURCE:?}" "${ORVELINE_BUILD:?}" "${DISPLAY:?}"
scr="$ORVELINE_DIST/Orveline.scr"
host_tool="$ORVELINE_BUILD/tests/preview/x11_host_window"
artifacts="$ORVELINE_BUILD/test-artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
    return 0
}
e2e_at_exit cleanup

convert "$ORVELINE_SOURCE/assets/preview.jpg" "$work/asset.png"

# check_host <width> <height>: embeds a preview in a new host, checks the picture, destroys the host.
check_host() {
    local width=$1 height=$2 name="preview_${1}x$2"
    mkfifo "$work/$name.in"
    "$host_tool" "$width" "$height" <"$work/$name.in" >"$work/$name.id" &
    pids+=($!)
    exec 8>"$work/$name.in"
    local host="" i
    for ((i = 0; i < 50; i++)); do
        host=$(head -n1 "$work/$name.id")
        [ -n "$host" ] && break
        sleep 0.1
    done
    [ -n "$host" ] || fail "no host window"
    "$scr" /p "$host" &
    local preview=$!
    pids+=($preview)
    # Wait until the preview's window sits in the host.
    for ((i = 0; i < 100; i++)); do
        xwininfo -children -id "$host" 2>/dev/null | grep -q '"Preview Window"' && break
        sleep 0.05
    done
    # The picture is drawn when its window is first exposed; allow a loaded machine a while.
    local shot="$artifacts/$name.png" differing=""
    for ((i = 0; i < 30; i++)); do
        sleep 0.1
        e2e_screenshot "$shot" "$host"
        convert "$shot" -crop 152x112+0+0 +repage "$work/top_left.png"
        differing=$(compare -metric AE "$work/top_left.png" "$work/asset.png" null: 2>&1)
        [ "$differing" = 0 ] && break
    done
    log "${width}x$height: $differing pixels of the picture differ from the asset ($shot)"
    [ "$differing" = 0 ] || fail "the picture in a ${width}x$height host is not the asset"
    if [ "$width" -gt 152 ]; then
        local bright
        bright=$(convert "$shot" -crop "$((width - 152))x$height+152+0" +repage -format '%[fx:maxima]' info:)
        [ "$bright" = 0 ] || fail "not black right of the picture"
        bright=$(convert "$shot" -crop "152x$((height - 112))+0+112" +repage -format '%[fx:maxima]' info:)
        [ "$bright" = 0 ] || fail "not black below the picture"
    fi
    kill -0 "$preview" 2>/dev/null || fail "the preview ended while its host was there"
    echo destroy >&8
    exec 8>&-
    for ((i = 0; i < 40; i++)); do kill -0 "$preview" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$preview" 2>/dev/null && fail "the preview outlived its host by 2 s"
    wait "$preview"
    local rc=$?
    [ "$rc" -eq 0 ] || fail "the preview ended with $rc"
}

check_host 152 112
check_host 300 200

# A host that names no window, or none at all: the preview ends at once.
for args in "/p 12345" "/p" "/p:0"; do
    start=$(date +%s%3N)
    timeout 5 "$scr" $args
    rc=$?
    [ "$rc" -eq 0 ] || fail "'$args' ended with $rc"
    [ $(($(date +%s%3N) - start)) -lt 2000 ] || fail "'$args' did not end at once"
done
log "passed"
