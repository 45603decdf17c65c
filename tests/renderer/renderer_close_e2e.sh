#!/usr/bin/env bash
# Ways the renderer ends: SIGTERM and SIGINT (a screen-saver daemon's stop), a mouse button, a
# pointer move beyond 4 pixels after the first move, the focus taken by another window; always
# with exit code 0 and no window left.
set -u
source "$(dirname "$0")/../support/display.sh"
e2e_ensure_display
renderer="$ORVELINE_DIST/Orveline.dll"

start() {
  e2e_spawn "$renderer"
  pid=$E2E_LAST_PID
  e2e_wait_window OrvelineVC 2 >/dev/null || fail "$1: no window within 2 s"
  sleep 0.3
}

expect_clean_end() {  # <what>
  e2e_wait_exit "$pid" 1 || fail "$1: still running after 1 s"
  [ "$E2E_RC" = 0 ] || fail "$1: exit code $E2E_RC"
  e2e_window_gone OrvelineVC || fail "$1: window left behind"
  log "$1: exit 0"
}

for signal in TERM INT; do
  start "SIG$signal"
  kill -s "$signal" "$pid"
  expect_clean_end "SIG$signal"
done

start "mouse button"
xdotool click 3
expect_clean_end "mouse button"

start "large move"
xdotool mousemove_relative 2 0
sleep 0.2
e2e_running "$pid" || fail "the first pointer move ended the renderer"
xdotool mousemove_relative 5 0
expect_clean_end "5-pixel move after the first"

e2e_spawn xmessage -title Other -geometry +10+10 "other" 2>/dev/null
other=$(e2e_wait_window Other 3) || fail "could not open another window"
start "focus taken"
xdotool windowfocus "$other"
expect_clean_end "focus taken by another window"

# A second renderer is not stopped by the first (already retitled) one; taking the focus, it
# ends the first like any other window would.
start "first of two"
first=$pid
e2e_spawn "$renderer"
second=$E2E_LAST_PID
sleep 1.5
e2e_running "$second" || fail "the second renderer did not keep running"
[ -n "$(xdotool search --name '^OrvelineVC$')" ] || fail "no window of the second renderer"
e2e_wait_exit "$first" 1 || fail "the first renderer kept running without the focus"
[ "$E2E_RC" = 0 ] || fail "first renderer: exit code $E2E_RC"
[ "$(xdotool search --name '^OrvelineVC$' | wc -l)" = 1 ] || fail "the first window was left behind"
kill -s TERM "$second"
pid=$second
expect_clean_end "second renderer"
