#!/usr/bin/env bash
# `orveline --on-idle 5` on a headless GNOME (mutter, two monitors, Xwayland), where the idle time
# comes from mutter's idle monitor on the session bus: the run starts 5 s after the last input (a
# key through mutter's remote desktop), not before; a second watcher says so and ends; after a key
# ended the run, the next starts 5 s after that key; SIGTERM to the watcher during a run leaves no
# process of ours within 3 s. With the session manager's idle inhibit flag set (a stand-in for
# it, the first argument) no run starts; once the flag is cleared, one does within an idle time.
set -u
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../support/display.sh"
source "$here/../gnome/mutter_lib.sh"
: "${ORVELINE_DIST:?}"
fake_manager=${1:?usage: on_idle_gnome.sh <qt_fake_session_manager>}
skip_unless_built "$ORVELINE_DIST/Orveline.scr" launcher
gnome_start || exit
bin=$E2E_TMP/bin
cp -r "$ORVELINE_DIST" "$bin"
cp "$fake_manager" "$E2E_TMP/"

renderer_up() { [ -n "$(e2e_tagged_pids "$bin/Orveline\.dll")" ]; }
renderer_gone() { ! renderer_up; }
watcher_log() { cat "$GNOME_HOME/watcher.log"; }
# The time from the input at $2 until a run shows: at least the idle time.
starts_after_idle() {
    local input=$2 after
    e2e_wait 15 renderer_up || fail "$1: no run 15 s after the last input: $(watcher_log)"
    after=$(($(now_ms) - input))
    [ "$after" -ge 4900 ] || fail "$1: the run started $after ms after the last input"
    log "$1: the run started $after ms after the last input"
}

start_watcher() {
    gnome_spawn sh -c "exec '$bin/orveline' --on-idle 5 >>'$GNOME_HOME/watcher.log' 2>&1"
}
start_watcher
watching() { grep -q 'watching org.gnome.Mutter.IdleMonitor' "$GNOME_HOME/watcher.log"; }
e2e_wait 10 watching || fail "the watcher does not use mutter's idle monitor: $(watcher_log)"
gnome_key 42
starts_after_idle "first" "$(now_ms)"

out=$(gnome_run timeout 10 "$bin/orveline" --on-idle 5 2>&1) || fail "a second watcher failed: $out"
grep -q 'already runs' <<<"$out" || fail "a second watcher said: $out"

sleep 1.5
gnome_key 57
input=$(now_ms)
if ! e2e_wait 3 renderer_gone; then
    # Keys that miss the renderer on Xwayland are another fault; a button ends the run as well.
    log "the key did not end the run; a button does"
    gnome_button 272
    input=$(now_ms)
    e2e_wait 3 renderer_gone || fail "neither a key nor a button ended the run"
fi
starts_after_idle "after the run's end by input" "$input"

end_watcher() {
    kill -TERM $(pgrep -u "$GNOME_USER" -f 'Orveline\.scr --on-idle')
    left() { [ -z "$(e2e_tagged_pids "$bin/")" ]; }
    e2e_wait 3 left || fail "left 3 s after SIGTERM to the watcher: $(e2e_tagged_pids "$bin/")"
}
end_watcher

touch "$GNOME_HOME/inhibit"
gnome_spawn "$E2E_TMP/qt_fake_session_manager" "$GNOME_HOME/inhibit"
inhibited() {
    [ "$(gnome_run gdbus call --session --dest org.gnome.SessionManager --object-path \
        /org/gnome/SessionManager --method org.gnome.SessionManager.IsInhibited 8 2>&1)" = "(true,)" ]
}
e2e_wait 10 inhibited || fail "the session manager's stand-in does not answer"
start_watcher
gnome_key 42
sleep 8
renderer_up && fail "a run started while the session manager inhibited idleness"
rm "$GNOME_HOME/inhibit"
cleared=$(now_ms)
e2e_wait 10 renderer_up || fail "no run 10 s after the inhibitor was cleared: $(watcher_log)"
log "held off while inhibited; the run started $(($(now_ms) - cleared)) ms after the flag was cleared"
end_watcher
log "passed"
