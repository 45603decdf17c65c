#!/usr/bin/env bash
# The full-screen run on Linux: "Orveline.scr /s" starts the renderer, shows no window of its own
# but has one titled "Veyra_Main", plays the MP3 of its settings (SDL's disk driver writes it to a
# file), refuses a second /s, and ends within 300 ms of the renderer's window going, whether a
# key ended the renderer or SIGKILL did; SIGTERM, SIGINT or SIGHUP to the launcher ends the run,
# renderer and music included, while SIGKILL to it leaves the renderer;
# a renderer file that cannot be started, or a renderer that ends before its window, ends the run
# at once.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
: "${ORVELINE_DIST:?}" "${DISPLAY:?}"
scr="$ORVELINE_DIST/Orveline.scr"
renderer="$ORVELINE_DIST/Orveline.dll"
work=$(mktemp -d)
launcher_pid=""
cleanup() {
    [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null
    pkill -KILL -f "^$renderer\$" 2>/dev/null
    rm -rf "$work"
    return 0
}
e2e_at_exit cleanup
has_window() { ! e2e_window_gone "$1"; }
renderer_pids() { e2e_live_pids "^$renderer\$"; }

# Settings: music from an MP3 file. Keys are code-page-932 bytes.
e2e_make_mp3 "$work/tone.mp3"
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/orveline"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xd8\xcb\xdf\xb0\xc4=0\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' \
    "$work/tone.mp3" >"$XDG_CONFIG_HOME/orveline/Orveline.ini"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw"

start_run() {
    rm -f "$SDL_DISKAUDIOFILE"
    "$scr" /s 2>"$work/launcher.err" &
    launcher_pid=$!
    e2e_wait_window OrvelineVC 10 >/dev/null || fail "no renderer window OrvelineVC within 10 s"
}

# The launcher must follow the renderer's window within 300 ms.
ends_after_window() {  # <how the renderer ended>
    local gap
    gap=$(e2e_gap_after_window OrvelineVC "$launcher_pid" 4) || exit 1
    wait "$launcher_pid" 2>/dev/null
    launcher_pid=""
    log "$1: launcher ended $gap ms after the renderer's window"
    [ "$gap" -le 300 ] || fail "$1: the launcher ended $gap ms after the renderer's window"
}

# 1. A run with music; a key ends it.
start_run
has_window Veyra_Main || fail "no window titled Veyra_Main during the run"
[ "$(renderer_pids | wc -l)" -eq 1 ] || fail "not exactly one renderer running"
grew=$(e2e_growth "$SDL_DISKAUDIOFILE" 1)
log "audio output grew by $grew bytes in 1 s"
[ "$grew" -gt 0 ] || fail "the MP3 does not play (audio output does not grow)"

start=$(now_ms)
timeout 5 "$scr" /s 2>/dev/null
rc=$?
[ "$rc" -eq 0 ] || fail "a second /s returned $rc"
[ $(($(now_ms) - start)) -lt 2000 ] || fail "a second /s did not end at once"
[ "$(renderer_pids | wc -l)" -eq 1 ] || fail "a second /s started a renderer"
kill -0 "$launcher_pid" || fail "a second /s ended the running launcher"

xdotool key space
ends_after_window "key press"
[ "$(e2e_growth "$SDL_DISKAUDIOFILE" 0.5)" -eq 0 ] || fail "music goes on after the run"

# 2. The renderer killed: the launcher follows the same way.
start_run
sleep 0.3
kill -KILL $(renderer_pids)
ends_after_window "SIGKILL to the renderer"

# 3. A termination request to the launcher (SIGTERM, SIGINT, SIGHUP) ends the whole run: the
# launcher with 0, the renderer and the music within 1 s. SIGKILL ends the launcher alone.
for signal in TERM INT HUP; do
    start_run
    kill -"$signal" "$launcher_pid"
    e2e_wait_exit "$launcher_pid" 2 || fail "SIG$signal did not end the launcher within 2 s"
    launcher_pid=""
    [ "$E2E_RC" -eq 0 ] || fail "the launcher ended with $E2E_RC on SIG$signal"
    sleep 1
    [ -z "$(renderer_pids)" ] || fail "a renderer is left 1 s after SIG$signal to the launcher"
    [ "$(e2e_growth "$SDL_DISKAUDIOFILE" 0.3)" -eq 0 ] || fail "music goes on after SIG$signal"
done
start_run
kill -KILL "$launcher_pid"
wait "$launcher_pid" 2>/dev/null
launcher_pid=""
sleep 0.3
has_window OrvelineVC || fail "a killed launcher took the renderer with it"

# 4. A renderer file that is no program: the run ends at once instead of waiting for a window
# (the watch goes by title, so the renderer left running above must go first).
pkill -KILL -f "^$renderer\$"
e2e_wait_gone OrvelineVC 5
mkdir -p "$work/broken"
cp "$scr" "$work/broken/Orveline.scr"
echo "not a program" >"$work/broken/Orveline.dll"
# Runs the launcher beside a renderer that never shows a window: the run must end at once, with 0.
run_ends_without_window() {  # <what the renderer does>
    local start rc elapsed
    start=$(now_ms)
    timeout 10 "$work/broken/Orveline.scr" /s 2>/dev/null
    rc=$?
    elapsed=$(($(now_ms) - start))
    log "$1: the launcher ended after $elapsed ms with $rc"
    [ "$rc" -eq 0 ] || fail "the launcher ended with $rc ($1)"
    [ "$elapsed" -lt 3000 ] || fail "the launcher waited $elapsed ms ($1)"
}
run_ends_without_window "unstartable renderer"

# 5. A renderer that starts and ends before it shows a window: the run ends with it, not after
# the wait for a first window.
printf '#!/bin/sh\nsleep 0.5\nexit 3\n' >"$work/broken/Orveline.dll"
chmod +x "$work/broken/Orveline.dll"
run_ends_without_window "renderer ended before its window"
log "passed"
