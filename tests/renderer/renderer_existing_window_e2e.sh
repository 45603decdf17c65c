#!/usr/bin/env bash
# Started while a window of class "WindowsScreenSaverClass" titled "Screensaver" exists, the
# renderer raises that window and ends with code 0 without opening its own.
set -u
source "$(dirname "$0")/../support/display.sh"
e2e_ensure_display
renderer="$ORVELINE_DIST/Orveline.dll"

e2e_spawn xmessage -title Screensaver -geometry +10+10 "another screen saver" 2>/dev/null
other=$(e2e_wait_window Screensaver 3) || fail "could not open the stand-in window"
xdotool set_window --class WindowsScreenSaverClass "$other"
# A second window on top of it, so that raising shows in the stacking order.
e2e_spawn xmessage -title Cover -geometry +20+20 "cover" 2>/dev/null
e2e_wait_window Cover 3 >/dev/null || fail "could not open the covering window"

topmost() { xwininfo -root -children | grep -m1 -o '^ *0x[0-9a-f]*' | tr -d ' '; }
[ "$(printf '%d' "$(topmost)")" != "$other" ] || fail "stand-in already on top"

e2e_spawn "$renderer"
pid=$E2E_LAST_PID
e2e_wait_exit "$pid" 2 || fail "renderer did not end within 2 s"
[ "$E2E_RC" = 0 ] || fail "exit code $E2E_RC"
e2e_window_gone OrvelineVC || fail "the renderer opened its own window"
[ "$(printf '%d' "$(topmost)")" = "$other" ] || fail "the existing window was not raised"
log "ok"
