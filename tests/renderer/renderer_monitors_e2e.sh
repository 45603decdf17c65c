#!/usr/bin/env bash
# On a screen of two monitors side by side the renderer's one window covers both, each monitor
# animates on its own and no desktop pixel shows; a monitor switched off and on again during the
# run reshapes the window without ending it; after two such toggles in a row the window covers both
# monitors and is quiet within 3 s, and a forged ConfigureNotify of 1x1 changes nothing; a key
# ends the run.
set -u
source "$ORVELINE_SOURCE/tests/support/display.sh"
renderer="$ORVELINE_DIST/Orveline.dll"
skip_unless_built "$renderer" renderer
e2e_two_monitors || exit $?
probe=$(e2e_configure_probe) || fail "no configure probe"

# A desktop of one colour, to be found wherever the saver fails to cover it.
convert -size 2048x768 xc:'#3c64b4' "$E2E_TMP/desk.png"
display -window root "$E2E_TMP/desk.png"
desktop_pixels() {  # <png> <crop>: pixels of the desktop's colour in that part of the shot
  convert "$1" -crop "$2" +repage -fill black +opaque '#3c64b4' -fill white -opaque '#3c64b4' \
    -format '%[fx:round(mean*w*h)]' info:
}
window_width() { xwininfo -id "$id" | sed -n 's/^ *Width: *//p'; }
width_is() { [ "$(window_width)" = "$1" ]; }

e2e_spawn "$renderer"
pid=$E2E_LAST_PID
id=$(e2e_wait_window OrvelineVC 5) || fail "no window titled OrvelineVC within 5 s"
e2e_wait 3 width_is 2048 || fail "the window is $(window_width) wide, not 2048"

check_both_animate() {  # <label>
  sleep 1
  local a b half
  a=$(e2e_shot "$1-a")
  sleep 0.4
  b=$(e2e_shot "$1-b")
  for half in 1024x768+0+0 1024x768+1024+0; do
    [ "$(desktop_pixels "$b" "$half")" -le 20 ] || fail "$1: the desktop shows on the monitor at $half"
    e2e_float_ge "$(e2e_fraction "$b" -crop "$half" +repage -colorspace Gray -threshold 8%)" 0.003 ||
      fail "$1: nothing drawn on the monitor at $half"
    convert "$a" -crop "$half" +repage "$E2E_TMP/half-a.png"
    convert "$b" -crop "$half" +repage "$E2E_TMP/half-b.png"
    [ "$(e2e_differing_pixels "$E2E_TMP/half-a.png" "$E2E_TMP/half-b.png")" -gt 100 ] ||
      fail "$1: the monitor at $half does not move"
  done
  e2e_keep "$b"
}
check_both_animate two-monitors

xrandr --output DUMMY1 --off
e2e_wait 3 width_is 1024 || fail "the window did not follow the monitor going off"
xrandr --output DUMMY1 --auto --right-of DUMMY0
e2e_wait 3 width_is 2048 || fail "the window did not follow the monitor coming back"
e2e_running "$pid" || fail "the run ended on a change of monitors"
check_both_animate monitor-back

toggle() { xrandr --output DUMMY1 --off && xrandr --output DUMMY1 --auto --right-of DUMMY0; }
toggle && toggle || fail "xrandr failed"
read -r count size < <("$probe" count "$id" 3)
log "after two toggles: $count ConfigureNotify in 3 s, window $size"
[ "$size" = 2048x768 ] || fail "the window is $size after two toggles, not 2048x768"
read -r count size < <("$probe" count "$id" 1)
[ "$count" = 0 ] || fail "the window is not quiet 3 s after two toggles: $count ConfigureNotify in 1 s"

"$probe" forge "$id" 1 1 || fail "cannot send the forged event"
read -r count size < <("$probe" count "$id" 1)
[ "$count" = 0 ] && [ "$size" = 2048x768 ] || fail "a forged 1x1 configure gave $count events, $size"
check_both_animate toggled-and-forged

xdotool key space
e2e_wait_exit "$pid" 3 || fail "a key did not end the run"
[ "$E2E_RC" = 0 ] || fail "exit code $E2E_RC"
log "both monitors animate, monitors off and on keep the run and settle, a key ends it"
