#!/usr/bin/env bash
# The renderer opens its full-screen window "OrvelineVC" quickly, animates coloured trails on
# black, survives a small pointer move and ends with exit code 0 on a key press.
set -u
source "$(dirname "$0")/../support/display.sh"
e2e_ensure_display
renderer="$ORVELINE_DIST/Orveline.dll"

e2e_spawn "$renderer"
pid=$E2E_LAST_PID
id=$(e2e_wait_window OrvelineVC 2) || fail "no window titled OrvelineVC within 2 s"

# The title comes before the window is mapped: wait for the map.
for _ in $(seq 40); do
  info=$(xwininfo -id "$id")
  grep -q 'Map State: IsViewable' <<<"$info" && break
  sleep 0.05
done
root=$(xwininfo -root)
field() { sed -n "s/^ *$1: *//p" <<<"$2"; }
[ "$(field 'Absolute upper-left X' "$info")" = 0 ] && [ "$(field 'Absolute upper-left Y' "$info")" = 0 ] ||
  fail "window not at the screen's origin"
[ "$(field Width "$info")" = "$(field Width "$root")" ] && [ "$(field Height "$info")" = "$(field Height "$root")" ] ||
  fail "window does not cover the screen: $(field Width "$info")x$(field Height "$info")"
[ "$(field 'Map State' "$info")" = IsViewable ] || fail "window not viewable"
xprop -id "$id" WM_CLASS | grep -q '"WindowsScreenSaverClass"' || fail "wrong window class"
xprop -id "$id" _NET_WM_NAME | grep -q '"OrvelineVC"' || fail "_NET_WM_NAME is not OrvelineVC"

sleep 0.7
first=$(e2e_shot first)
sleep 0.5
second=$(e2e_shot second)
e2e_keep "$first"
# Black background: the fading trails leave near-black pixels (luma below 8 %), even when the
# flow fills the screen (then about 1 % of it). Coloured trails: saturation above 50 % at a
# lightness above 15 %.
dark=$(e2e_fraction "$first" -colorspace Gray -threshold 8% -negate)
dark2=$(e2e_fraction "$second" -colorspace Gray -threshold 8% -negate)
coloured=$(e2e_fraction "$first" -colorspace HSL -separate \( -clone 1 -threshold 50% \) \
  \( -clone 2 -threshold 15% \) -delete 0-2 -compose Multiply -composite)
log "dark share $dark then $dark2, coloured share $coloured"
e2e_float_ge "$dark" 0.002 || e2e_float_ge "$dark2" 0.002 || fail "no black background ($dark, $dark2)"
e2e_float_ge "$coloured" 0.01 || fail "no coloured trails ($coloured)"
changed=$(e2e_differing_pixels "$first" "$second")
log "$changed pixels changed in 0.5 s"
[ "$changed" -ge 10000 ] || fail "the picture does not move ($changed pixels changed)"

# The first move only starts the watch; a 3-pixel move after it stays under the threshold.
xdotool mousemove_relative 3 0
sleep 0.2
xdotool mousemove_relative 0 3
sleep 0.5
e2e_running "$pid" || fail "a 3-pixel pointer move ended the renderer"
e2e_window_gone OrvelineVC && fail "the window vanished after a small move"

xdotool key space
e2e_wait_exit "$pid" 1 || fail "still running 1 s after a key press"
[ "$E2E_RC" = 0 ] || fail "exit code $E2E_RC after a key press"
e2e_window_gone OrvelineVC || fail "window still there after the exit"
log "ok"
