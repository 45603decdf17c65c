#!/usr/bin/env bash
# Started while another program's window of class "WindowsScreenSaverClass" titled "Screensaver"
# exists, the renderer brings that window to the front and ends with 0 without a window of its own.
source "$ORVELINE_SOURCE/tests/wine/lib.sh"
renderer="$ORVELINE_DIST/Orveline.dll"
[ -f "$renderer" ] || fail "no $renderer"

SECONDS=0
win_start standin "$WIN_TOOL" make-window WindowsScreenSaverClass Screensaver 60000
win_tool wait Screensaver 10000 WindowsScreenSaverClass || fail "the stand-in window did not appear"
# Another window takes the foreground, so that bringing the stand-in forward is visible.
win_start other "$WIN_TOOL" make-window OtherClass Other 60000
win_tool wait Other 10000 || fail "the second window did not appear"
sleep 1
[ "$(win_tool foreground)" = Other ] || fail "the second window is not in the foreground"
before=$(grep -c foreground "${WIN_OUT[standin]}")

win_start renderer "$renderer"
win_wait_exit renderer 15 || fail "the renderer did not end within 15 s"
[ "$WIN_EXIT" -eq 0 ] || fail "exit code $WIN_EXIT"
grep -q OrvelineVC "${WIN_OUT[renderer]}" && fail "unexpected renderer output"
win_tool find OrvelineVC >/dev/null && fail "a window OrvelineVC exists"
[ -z "$(win_xid OrvelineVC)" ] || fail "an X window OrvelineVC exists"
after=$(grep -c foreground "${WIN_OUT[standin]}")
[ "$(win_tool foreground)" = Screensaver ] ||
    fail "the Screensaver window is not in the foreground: '$(win_tool foreground)'"
[ "$after" -gt "$before" ] || fail "the Screensaver window was not activated"
log "passed in ${SECONDS} s"
