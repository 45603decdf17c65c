#!/usr/bin/env bash
# The renderer under Wine: its full-screen window "OrvelineVC" appears within 20 s (a cold Wine start on a loaded machine takes over 10) and shows
# moving coloured trails on black; a close message before any input is ignored; a second renderer
# runs and takes over, the first ending with 0 as it loses the activation; a key press ends the
# second with 0.
source "$ORVELINE_SOURCE/tests/wine/lib.sh"
renderer="$ORVELINE_DIST/Orveline.dll"
[ -f "$renderer" ] || fail "no $renderer"

SECONDS=0
win_start renderer "$renderer"
win_tool wait OrvelineVC 20000 || fail "no window titled OrvelineVC within 20 s"
log "window after ${SECONDS} s"
read -r width height <<<"$(win_tool screen)"
rect=$(win_tool rect OrvelineVC)
[ "$rect" = "0 0 $width $height" ] || fail "window rectangle '$rect', screen ${width}x${height}"
win_wait_window OrvelineVC 5 || fail "Wine shows no X window titled OrvelineVC"
read -r x y w h <<<"$(win_geometry OrvelineVC)"
read -r sw sh <<<"$(win_screen_size)"
[ "$x $y $w $h" = "0 0 $sw $sh" ] || fail "X window at $x,$y ${w}x$h on a ${sw}x$sh screen"

# Let the trails build up, then look at the screen twice: coloured trails on black, and moving.
sleep 3
shot="$WIN_ARTIFACTS/renderer_window.png"
win_screenshot "$shot"
sleep 0.5
win_screenshot "$WIN_ARTIFACTS/renderer_window_later.png"
read -r black coloured <<<"$(win_picture_stats "$shot")"
read -r black_later _ <<<"$(win_picture_stats "$WIN_ARTIFACTS/renderer_window_later.png")"
changed=$(compare -metric AE "$shot" "$WIN_ARTIFACTS/renderer_window_later.png" null: 2>&1 |
    awk '{printf "%d", $1}')
log "screenshot: ${black}% then ${black_later}% black, $coloured coloured pixels," \
    "$changed changed later ($shot)"
# When the flow fills the screen only a few per cent stay black; a renderer that never dims
# leaves none at all.
[ "$black" -ge 1 ] || [ "$black_later" -ge 1 ] ||
    fail "no black background left (${black}%, ${black_later}% black)"
[ "$coloured" -ge $((w * h / 50)) ] || fail "too few coloured trails ($coloured pixels)"
[ "$changed" -ge $((w * h / 50)) ] || fail "the picture does not move ($changed)"

# Once shown: the window and its class as created.
info=$(win_tool info OrvelineVC)
echo "$info"
grep -qx 'class WindowsScreenSaverClass' <<<"$info" || fail "wrong window class"
style=$(awk '$1 == "style" {print $2}' <<<"$info")
exstyle=$(awk '$1 == "exstyle" {print $2}' <<<"$info")
classstyle=$(awk '$1 == "class-style" {print $2}' <<<"$info")
# WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, CS_VREDRAW | CS_HREDRAW | CS_OWNDC
(((style & 0x90000000) == 0x90000000)) || fail "not a visible pop-up window ($style)"
(((exstyle & 0x8) != 0)) || fail "not top-most ($exstyle)"
(((classstyle & 0x23) == 0x23)) || fail "class style $classstyle"

# A close message from another program before any input is ignored.
win_tool post OrvelineVC 0x0010 || fail "cannot post WM_CLOSE"
sleep 1
win_tool find OrvelineVC >/dev/null || fail "WM_CLOSE before any input closed the renderer"

# The window is renamed while it is created, so a second renderer finds no "Screensaver" and runs;
# the first one loses the activation to it, which ends the first with 0.
win_start second "$renderer"
win_wait_exit renderer 10 || fail "the first renderer went on after losing the activation"
[ "$WIN_EXIT" -eq 0 ] || fail "exit code $WIN_EXIT after losing the activation"
sleep 1
win_wait_exit second 0 && fail "the second renderer ended (exit $WIN_EXIT)"
win_tool find OrvelineVC >/dev/null || fail "the second renderer shows no window OrvelineVC"

win_key space OrvelineVC
win_wait_exit second 10 || fail "the renderer did not end within 10 s of a key press"
[ "$WIN_EXIT" -eq 0 ] || fail "exit code $WIN_EXIT after a key press"
win_tool wait-gone OrvelineVC 2000 || fail "the window OrvelineVC outlived the renderer"
log "passed in ${SECONDS} s"
