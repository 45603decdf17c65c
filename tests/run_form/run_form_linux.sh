#!/usr/bin/env bash
# The full-screen run on Linux: "Orveline.scr /s" starts the renderer, shows no window of its own
# but has one titled "Veyra_Main", plays the MP3 of its settings (SDL's disk driver writes it to a
# file), refuses a second /s, and ends within 300 ms of the renderer's window going, whether a
# key ended the renderer or SIGKILL did; SIGTERM to the launcher ends it and leaves the renderer;
# a renderer file that cannot be started, or a renderer that ends before its window, ends the run
# at once.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../e2e_helpers.sh"
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
trap cleanup EXIT
has_window() { [ -n "$(xdotool search --name "^$1\$" 2>/dev/null | head -n1)" ]; }
wait_window() {  # wait_window <title> <seconds>
    local i
    for ((i = 0; i < $2 * 20; i++)); do has_window "$1" && return 0; sleep 0.05; done
    return 1
}
renderer_pids() { pgrep -f "^$renderer\$"; }
file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }

# Settings: music from an MP3 file. Keys are code-page-932 bytes.
raw="$work/tone.raw"
head -c 352800 /dev/urandom >"$raw"
lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s -b 128 "$raw" "$work/tone.mp3" 2>/dev/null ||
    fail "cannot make the MP3"
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/orveline"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xd8\xcb\xdf\xb0\xc4=0\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' \
    "$work/tone.mp3" >"$XDG_CONFIG_HOME/orveline/Orveline.ini"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw"

start_run() {
    rm -f "$SDL_DISKAUDIOFILE"
    "$scr" /s 2>"$work/launcher.err" &
    launcher_pid=$!
    wait_window OrvelineVC 10 || fail "no renderer window OrvelineVC within 10 s"
}

# Waits for the renderer's window to go and then for the launcher; prints the gap in ms.
launcher_gap_after_window() {
    local gone="" i
    for ((i = 0; i < 400; i++)); do
        if ! has_window OrvelineVC; then gone=$(now_ms); break; fi
        sleep 0.01
    done
    [ -n "$gone" ] || fail "the renderer's window did not go"
    for ((i = 0; i < 300; i++)); do
        kill -0 "$launcher_pid" 2>/dev/null || break
        sleep 0.005
    done
    kill -0 "$launcher_pid" 2>/dev/null && fail "the launcher outlived the renderer's window by 1.5 s"
    echo $(($(now_ms) - gone))
    wait "$launcher_pid" 2>/dev/null
    launcher_pid=""
}

# 1. A run with music; a key ends it.
start_run
has_window Veyra_Main || fail "no window titled Veyra_Main during the run"
[ "$(renderer_pids | wc -l)" -eq 1 ] || fail "not exactly one renderer running"
size1=$(file_size "$SDL_DISKAUDIOFILE")
sleep 1
size2=$(file_size "$SDL_DISKAUDIOFILE")
log "audio output $size1 -> $size2 bytes"
[ "$size2" -gt "$size1" ] || fail "the MP3 does not play (audio output does not grow)"

start=$(now_ms)
timeout 5 "$scr" /s 2>/dev/null
rc=$?
[ "$rc" -eq 0 ] || fail "a second /s returned $rc"
[ $(($(now_ms) - start)) -lt 2000 ] || fail "a second /s did not end at once"
[ "$(renderer_pids | wc -l)" -eq 1 ] || fail "a second /s started a renderer"
kill -0 "$launcher_pid" || fail "a second /s ended the running launcher"

xdotool key space
gap=$(launcher_gap_after_window)
log "key press: launcher ended $gap ms after the renderer's window"
[ "$gap" -le 300 ] || fail "the launcher ended $gap ms after the renderer's window"
size3=$(file_size "$SDL_DISKAUDIOFILE")
sleep 0.5
[ "$(file_size "$SDL_DISKAUDIOFILE")" -eq "$size3" ] || fail "music goes on after the run"

# 2. The renderer killed: the launcher follows the same way.
start_run
sleep 0.3
kill -KILL $(renderer_pids)
gap=$(launcher_gap_after_window)
log "SIGKILL: launcher ended $gap ms after the renderer's window"
[ "$gap" -le 300 ] || fail "the launcher ended $gap ms after the killed renderer's window"

# 3. SIGTERM to the launcher: it ends at once and the renderer runs on.
start_run
kill -TERM "$launcher_pid"
for ((i = 0; i < 100; i++)); do kill -0 "$launcher_pid" 2>/dev/null || break; sleep 0.02; done
kill -0 "$launcher_pid" 2>/dev/null && fail "SIGTERM did not end the launcher within 2 s"
wait "$launcher_pid"
rc=$?
launcher_pid=""
[ "$rc" -eq 0 ] || fail "the launcher ended with $rc on SIGTERM (its close handling did not run)"
has_window OrvelineVC || fail "ending the launcher ended the renderer"

# 4. A renderer file that is no program: the run ends at once instead of waiting for a window
# (the watch goes by title, so the renderer left running above must go first).
pkill -KILL -f "^$renderer\$"
for ((i = 0; i < 100; i++)); do has_window OrvelineVC || break; sleep 0.05; done
mkdir -p "$work/broken"
cp "$scr" "$work/broken/Orveline.scr"
echo "not a program" >"$work/broken/Orveline.dll"
# Runs the launcher beside a renderer that never shows a window: the run must end at once, with 0.
run_ends_without_window() {  # <what the renderer does>
    local start rc elapsed
    start=$(date +%s%3N)
    timeout 10 "$work/broken/Orveline.scr" /s 2>/dev/null
    rc=$?
    elapsed=$(($(date +%s%3N) - start))
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
