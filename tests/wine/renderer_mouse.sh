#!/usr/bin/env bash
# Mouse movement ends the renderer with 0: the first move may only set the reference, a later one
# of more than 4 pixels closes it. The command line is not interpreted: a preview switch still
# gives the full-screen window.
source "$ORVELINE_SOURCE/tests/wine/lib.sh"
renderer="$ORVELINE_DIST/Orveline.dll"
[ -f "$renderer" ] || fail "no $renderer"

xdotool mousemove 400 300
win_start renderer "$renderer" /p 12345
win_tool wait OrvelineVC 20000 || fail "no window titled OrvelineVC within 20 s"
read -r width height <<<"$(win_tool screen)"
[ "$(win_tool rect OrvelineVC)" = "0 0 $width $height" ] || fail "not full screen"
sleep 1
win_wait_exit renderer 0 && fail "the renderer ended before any input (exit $WIN_EXIT)"
for step in 1 2 3; do
    xdotool mousemove_relative -- 40 30
    win_wait_exit renderer 2 && break
done
[ -n "$WIN_EXIT" ] || fail "the renderer went on after three mouse moves"
[ "$WIN_EXIT" -eq 0 ] || fail "exit code $WIN_EXIT after mouse moves"
log "ended after $step moves"
