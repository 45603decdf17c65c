#!/usr/bin/env bash
# The preview under Wine: "Orveline.scr /p <host>" becomes a child "Preview Window" of a host
# window made here, covering it at 0, 0, and ends when the host is closed (destroyed); a handle
# that names no window ends the preview at once. Wine draws no child window of a host in another
# process, so the picture itself is checked with the desktop as the host: the asset at the top-left
# 152x112 (Wine's JPEG decoder rounds a few pixels one level apart from libjpeg's, so a difference
# of one level is allowed), black beyond.
source "$ORVELINE_SOURCE/tests/wine/lib.sh"
scr="$ORVELINE_DIST/Orveline.scr"
host_tool="$ORVELINE_BUILD/tests/preview/win32_host_window.exe"
[ -f "$scr" ] || fail "no $scr"
work=$(mktemp -d)
e2e_at_exit 'rm -rf "$work"'
host_title="Orveline preview host"

wait_line() {  # wait_line <name> <pattern> <seconds>: the first output line that matches
    local i line
    for ((i = 0; i < $3 * 10; i++)); do
        line=$(tr -d '\r' <"${WIN_OUT[$1]}" | grep -m1 -E "$2")
        [ -n "$line" ] && { echo "$line"; return 0; }
        sleep 0.1
    done
    return 1
}

check_host() {  # check_host <width> <height>
    local width=$1 height=$2 host child
    win_start host "$host_tool" "$width" "$height"
    host=$(wait_line host '^[0-9]+$' 10) || fail "no host window"
    win_start preview "$scr" /p "$host"
    child=$(wait_line host '^child ' 10) || fail "no child Preview Window in the host"
    log "${width}x$height host: $child"
    read -r _ left top right bottom style <<<"$child"
    [ "$left $top $right $bottom" = "10 10 $((10 + width)) $((10 + height))" ] ||
        fail "the preview does not cover the ${width}x$height host at 10,10: $child"
    (((16#$style & 0x40000000) != 0)) || fail "the preview window lacks the child bit: $style"
    (((16#$style & 0x10000000) != 0)) || fail "the preview window is not visible: $style"
    win_wait_exit preview 0 && fail "the preview ended while its host was there"
    win_tool post "$host_title" 0x0010 || fail "cannot close the host"
    win_wait_exit preview 5 || fail "the preview outlived its host by 5 s"
    [ "$WIN_EXIT" -eq 0 ] || fail "the preview ended with $WIN_EXIT"
    win_wait_exit host 5
}

check_host 152 112
check_host 300 200

# The picture, with the desktop as the host.
desktop=$(win_tool_out=$("$WIN_RUN" "$host_tool" desktop </dev/null); echo "${win_tool_out//$'\r'/}")
win_start desktop_preview "$scr" /p "$desktop"
win_wait_window "Preview Window" 10 || fail "no preview window on the desktop"
shot="$WIN_ARTIFACTS/wine_preview_desktop.png"
convert "$ORVELINE_SOURCE/assets/preview.jpg" "$work/asset.png"
for ((i = 0; i < 20; i++)); do
    sleep 0.25
    win_screenshot "$shot"
    convert "$shot" -crop 152x112+0+0 +repage "$work/top_left.png"
    differing=$(compare -metric AE -fuzz 0.5% "$work/top_left.png" "$work/asset.png" null: 2>&1)
    [ "$differing" = 0 ] && break
done
log "desktop host: $differing pixels of the picture differ from the asset ($shot)"
[ "$differing" = 0 ] || fail "the picture is not the asset"
bright=$(convert "$shot" -crop 400x300+152+0 +repage -format '%[fx:maxima]' info:)
[ "$bright" = 0 ] || fail "not black right of the picture"
bright=$(convert "$shot" -crop 152x300+0+112 +repage -format '%[fx:maxima]' info:)
[ "$bright" = 0 ] || fail "not black below the picture"
win_cleanup

for args in "/p 12345" "/p"; do
    win_start bad "$scr" $args
    win_wait_exit bad 10 || fail "'$args' did not end"
    [ "$WIN_EXIT" -eq 0 ] || fail "'$args' ended with $WIN_EXIT"
done
log "passed"
