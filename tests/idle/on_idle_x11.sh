#!/usr/bin/env bash
# `orveline --on-idle 3` on a plain Xvfb (MIT-SCREEN-SAVER, no daemon, no session bus): the run
# starts 3 s after the last input, not before; a second watcher says so and ends; a key ends the
# run and the next starts 3 s after it; SIGTERM to the watcher during a run leaves no process of
# ours within 3 s.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
: "${ORVELINE_DIST:?}"
skip_unless_built "$ORVELINE_DIST/Orveline.scr" launcher
e2e_xvfb -screen 0 1024x768x24 || fail "cannot start Xvfb"
unset DBUS_SESSION_BUS_ADDRESS
export XDG_RUNTIME_DIR="$E2E_TMP/run" XDG_CONFIG_HOME="$E2E_TMP/config"
mkdir -m 700 "$XDG_RUNTIME_DIR"

renderer_up() { [ -n "$(e2e_tagged_pids 'Orveline\.dll')" ]; }
renderer_gone() { ! renderer_up; }
# The time from the last input (at $2) until a run shows: at least the idle time.
starts_after_idle() {
    local input=$2 after
    e2e_wait 12 renderer_up || fail "$1: no run 12 s after the last input: $(cat "$E2E_TMP/watcher.log")"
    after=$(($(now_ms) - input))
    [ "$after" -ge 2900 ] || fail "$1: the run started $after ms after the last input"
    log "$1: the run started $after ms after the last input"
}

xdotool mousemove 10 10
input=$(now_ms)
e2e_spawn "$ORVELINE_DIST/orveline" --on-idle 3 >"$E2E_TMP/watcher.log" 2>&1
watcher=$E2E_LAST_PID
starts_after_idle "first" "$input"
grep -q 'watching MIT-SCREEN-SAVER' "$E2E_TMP/watcher.log" || fail "$(cat "$E2E_TMP/watcher.log")"

out=$(timeout 10 "$ORVELINE_DIST/orveline" --on-idle 3 2>&1) || fail "a second watcher failed: $out"
grep -q 'already runs' <<<"$out" || fail "a second watcher said: $out"

sleep 1
xdotool key space
input=$(now_ms)
e2e_wait 5 renderer_gone || fail "a key did not end the run"
starts_after_idle "after a key" "$input"

kill -TERM "$watcher"
left() { [ -z "$(e2e_tagged_pids "$ORVELINE_DIST/")" ]; }
e2e_wait 3 left || fail "left 3 s after SIGTERM to the watcher: $(e2e_tagged_pids "$ORVELINE_DIST/")"
e2e_wait_exit "$watcher" 1 && [ "$E2E_RC" -eq 0 ] || fail "the watcher's exit code: ${E2E_RC:-none}"
log "passed"
