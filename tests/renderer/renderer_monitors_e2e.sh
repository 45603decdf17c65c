#!/usr/bin/env bash
# On a screen of two monitors side by side the renderer's one window covers both, each monitor
# animates on its own and no desktop pixel shows; a monitor switched off and on again during the
# run reshapes the window without ending it; a key ends the run.
set -u
source "$ORVELINE_SOURCE/tests/support/display.sh"
renderer="$ORVELINE_DIST/Orveline.dll"
skip_unless_built "$renderer" renderer
e2e_two_monitors || exit $?

# A desktop of one colour, to be found wherever the saver fails to cover it.
convert -size 2048x768 xc:'#3c64b4' "$E2E_TMP/desk.png"
display -window root "$E2E_TMP/desk.png"
desktop_pixels() {  # <png> <crop>: pixels of the desktop's colour in that part of the shot
  convert "$1" -crop "$2" +repage -fill black +opaque '#3c64b4' -fill white -opaque '#3c64b4' \
    -format '%[fx:round(mean*w*h)]' info:
}
window_width() { xwininfo -id "$id" | sed -n 's/^ *Width: *//p'; }

e2e_spawn "$renderer"
pid=$E2E_LAST_PID
id=$(e2e_wait_window OrvelineVC 5) || fail "no window titled OrvelineVC within 5 s"
e2e_wait 3 test "$(window_width)" = 2048 || fail "the window is $(window_width) wide, not 2048"

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
e2e_wait 3 test "$(window_width)" = 1024 || fail "the window did not follow the monitor going off"
xrandr --output DUMMY1 --auto --right-of DUMMY0
e2e_wait 3 test "$(window_width)" = 2048 || fail "the window did not follow the monitor coming back"
e2e_running "$pid" || fail "the run ended on a change of monitors"
check_both_animate monitor-back

xdotool key space
e2e_wait_exit "$pid" 3 || fail "a key did not end the run"
[ "$E2E_RC" = 0 ] || fail "exit code $E2E_RC"
log "both monitors animate, a monitor off and on keeps the run, a key ends it"
