#!/usr/bin/env bash
# Started while another program's window of class "WindowsScreenSaverClass" titled "Screensaver"
# exists, the renderer brings that window to the front and ends with 0 without a window of its own.
source "$ORVELINE_SOURCE/tests/wine/lib.sh"
renderer="$ORVELINE_DIST/Orveline.dll"
[ -f "$renderer" ] || win_fail "no $renderer"

SECONDS=0
win_start standin "$WIN_TOOL" make-window WindowsScreenSaverClass Screensaver 60000
win_tool wait Screensaver 10000 WindowsScreenSaverClass || win_fail "the stand-in window did not appear"
# Another window takes the foreground, so that bringing the stand-in forward is visible.
win_start other "$WIN_TOOL" make-window OtherClass Other 60000
win_tool wait Other 10000 || win_fail "the second window did not appear"
sleep 1
[ "$(win_tool foreground)" = Other ] || win_fail "the second window is not in the foreground"
before=$(grep -c foreground "${WIN_OUT[standin]}")

win_start renderer "$renderer"
win_wait_exit renderer 15 || win_fail "the renderer did not end within 15 s"
[ "$WIN_EXIT" -eq 0 ] || win_fail "exit code $WIN_EXIT"
grep -q OrvelineVC "${WIN_OUT[renderer]}" && win_fail "unexpected renderer output"
win_tool find OrvelineVC >/dev/null && win_fail "a window OrvelineVC exists"
[ -z "$(win_xid OrvelineVC)" ] || win_fail "an X window OrvelineVC exists"
after=$(grep -c foreground "${WIN_OUT[standin]}")
[ "$(win_tool foreground)" = Screensaver ] ||
    win_fail "the Screensaver window is not in the foreground: '$(win_tool foreground)'"
[ "$after" -gt "$before" ] || win_fail "the Screensaver window was not activated"
win_log "passed in ${SECONDS} s"
