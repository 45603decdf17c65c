#!/usr/bin/env bash
# The renderer under Wine on two 1024x768 monitors side by side (Xorg's dummy driver, as root): its
# window covers the virtual screen and reports per-monitor DPI awareness; after a display change
# both monitors still animate, each half of the screen changing between two screenshots, and no
# pixel of the desktop (painted a colour of its own first) shows. After two off/on toggles of the
# second monitor in a row the window covers both and is quiet within 3 s, and a forged
# ConfigureNotify of 1x1 changes nothing. A key ends the run with 0.
source "$ORVELINE_SOURCE/tests/support/display.sh"
e2e_two_monitors || exit
source "$ORVELINE_SOURCE/tests/wine/lib.sh"
renderer="$ORVELINE_DIST/Orveline.dll"
[ -f "$renderer" ] || fail "no $renderer"
probe=$(e2e_configure_probe) || fail "no configure probe"

# Wine reads the monitors when its desktop process starts: a prefix of this test's own, whose
# server starts afresh on this display.
export ORVELINE_WINEPREFIX="$ORVELINE_BUILD/wineprefix-two-monitors"
WINEPREFIX=$ORVELINE_WINEPREFIX wineserver -k 2>/dev/null && WINEPREFIX=$ORVELINE_WINEPREFIX wineserver -w
"$WIN_RUN" --prepare || fail "no Wine prefix for two monitors"
e2e_at_exit 'WINEPREFIX=$ORVELINE_WINEPREFIX wineserver -k 2>/dev/null'
e2e_at_kill "WINEPREFIX=$ORVELINE_WINEPREFIX wineserver -k"

desktop='#5a1e8c'
display -window root -size 2048x768 "xc:$desktop" 2>/dev/null
desktop_share() { e2e_fraction "$1" -crop "$2" +repage -fill black +opaque "$desktop" -fill white -opaque "$desktop"; }
e2e_float_ge "$(desktop_share "$(e2e_shot desktop)" 2048x768+0+0)" 0.99 || fail "the desktop is not painted"

SECONDS=0
win_start renderer "$renderer"
win_tool wait OrvelineVC 20000 || fail "no window titled OrvelineVC within 20 s"
screen=$(win_tool virtual-screen)
[ "$screen" = "0 0 2048 768" ] || fail "Wine's virtual screen is '$screen', not both monitors"
rect=$(win_tool rect OrvelineVC)
[ "$rect" = "$screen" ] || fail "window rectangle '$rect', virtual screen '$screen'"
# NOTE: Wine 8 calls every window per-monitor aware, manifest or not; Windows does not.
awareness=$(win_tool dpi-awareness OrvelineVC)
[ "$awareness" = per-monitor ] || fail "DPI awareness '$awareness'"

sleep 2
win_tool post OrvelineVC 0x007E 24 $(((768 << 16) | 2048)) || fail "cannot post WM_DISPLAYCHANGE"
check_both_animate() {  # <label>
    sleep 2
    local first second half changed shown
    first=$(e2e_shot "$1-first")
    sleep 0.5
    second=$(e2e_shot "$1-second")
    for half in 1024x768+0+0 1024x768+1024+0; do
        convert "$first" -crop "$half" +repage "$E2E_TMP/a.png"
        convert "$second" -crop "$half" +repage "$E2E_TMP/b.png"
        changed=$(e2e_differing_pixels "$E2E_TMP/a.png" "$E2E_TMP/b.png")
        shown=$(desktop_share "$second" "$half")
        log "$1: monitor $half: $changed pixels changed, desktop share $shown"
        [ "$changed" -ge $((1024 * 768 / 50)) ] || fail "$1: monitor $half does not animate ($changed)"
        # A pixel of the picture may match the colour by chance; a monitor left out shows all of it.
        e2e_float_ge 0.001 "$shown" || fail "$1: the desktop shows on monitor $half ($shown)"
    done
}
check_both_animate display-change

xid=$(win_xid OrvelineVC)
toggle() { xrandr --output DUMMY1 --off && xrandr --output DUMMY1 --auto --right-of DUMMY0; }
toggle && toggle || fail "xrandr failed"
read -r count size < <("$probe" count "$xid" 3)
log "after two toggles: $count ConfigureNotify in 3 s, X window $size"
[ "$size" = 2048x768 ] || fail "the X window is $size after two toggles, not 2048x768"
read -r count size < <("$probe" count "$xid" 1)
[ "$count" = 0 ] || fail "the window is not quiet 3 s after two toggles: $count ConfigureNotify in 1 s"
"$probe" forge "$xid" 1 1 || fail "cannot send the forged event"
read -r count size < <("$probe" count "$xid" 1)
[ "$count" = 0 ] && [ "$size" = 2048x768 ] || fail "a forged 1x1 configure gave $count events, $size"
rect=$(win_tool rect OrvelineVC)
[ "$rect" = "0 0 2048 768" ] || fail "window rectangle '$rect' after the toggles and a forged configure"
check_both_animate toggled-and-forged

win_key space OrvelineVC
win_wait_exit renderer 10 || fail "the renderer did not end within 10 s of a key press"
[ "$WIN_EXIT" -eq 0 ] || fail "exit code $WIN_EXIT after a key press"
log "passed in ${SECONDS} s"
