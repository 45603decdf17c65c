#!/usr/bin/env bash
# A host window resized three times back to back, with the renderer inside it: the renderer's
# window ends at the host's last size and is quiet after it (at most 2 ConfigureNotify in the 3 s
# after the host settled), and a forged ConfigureNotify of 1x1 from another client changes nothing.
#   renderer_hosted_resize_e2e.sh <x11_titled_window>
set -u
source "$ORVELINE_SOURCE/tests/support/display.sh"
renderer="$ORVELINE_DIST/Orveline.dll"
skip_unless_built "$renderer" renderer
e2e_ensure_display
probe=$(e2e_configure_probe) || fail "no configure probe"

e2e_spawn "$1" ResizeHost mapped >/dev/null
host=$(e2e_wait_window ResizeHost 5) || fail "no host window"
xdotool windowsize "$host" 400 300
e2e_spawn "$renderer" --window-id "$host"
pid=$E2E_LAST_PID
child_of_host() { xwininfo -children -id "$host" | awk '/"OrvelineVC"/ { print $1; exit }'; }
has_child() { [ -n "$(child_of_host)" ]; }
e2e_wait 5 has_child || fail "no renderer window in the host"
child=$(child_of_host)
sleep 1

xdotool windowsize "$host" 500 400 windowsize "$host" 600 500 windowsize "$host" 700 600
read -r count size < <("$probe" count "$child" 3)
log "after three host resizes: $count ConfigureNotify in 3 s, window $size"
[ "$size" = 700x600 ] || fail "the window is $size, not the host's 700x600"
[ "$count" -le 2 ] || fail "$count ConfigureNotify in the 3 s after the host settled"

"$probe" forge "$child" 1 1 || fail "cannot send the forged event"
read -r count size < <("$probe" count "$child" 1)
[ "$count" = 0 ] && [ "$size" = 700x600 ] || fail "a forged 1x1 configure gave $count events, $size"
a=$(e2e_shot a)
sleep 0.4
b=$(e2e_shot b)
[ "$(e2e_differing_pixels "$a" "$b")" -gt 100 ] || fail "the picture does not move"
e2e_running "$pid" || fail "the run ended"
log "settles at the host's size, quiet after; a forged configure changes nothing"
