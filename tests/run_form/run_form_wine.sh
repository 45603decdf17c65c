#!/usr/bin/env bash
# The full-screen run under Wine: "Orveline.scr /s" starts the renderer, has a hidden window
# "Veyra_Main", plays the MP3 of its settings (into a file-backed ALSA device), refuses a second
# /s, and ends within 300 ms of the renderer's window going (the music stopped), after a key press
# or after the renderer was killed; WM_CLOSE to "Veyra_Main" ends the launcher and leaves the
# renderer; a renderer file that cannot be started, or a renderer that ends before its window,
# ends the run at once.
source "$ORVELINE_SOURCE/tests/wine/lib.sh"
for f in Orveline.scr Orveline.dll; do [ -f "$ORVELINE_DIST/$f" ] || fail "no $f"; done

# A copy of the programs with their settings beside them, and a HOME whose audio goes to a file.
work=$(mktemp -d)
e2e_at_exit 'rm -rf "$work"'
cp "$ORVELINE_DIST/Orveline.scr" "$ORVELINE_DIST/Orveline.dll" "$work/"
e2e_make_mp3 "$work/tone.mp3"
mp3="Z:${work//\//\\}\\tone.mp3"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xd8\xcb\xdf\xb0\xc4=0\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' \
    "$mp3" >"$work/Orveline.ini"
audio="$work/wine_audio.raw"
printf 'pcm.!default { type file  slave.pcm "null"  file "%s"  format "raw" }\n' "$audio" \
    >"$work/.asoundrc"
export HOME=$work

start_run() {
    rm -f "$audio"
    win_start launcher "$work/Orveline.scr" /s
    win_wait_window OrvelineVC 15 || fail "no renderer window OrvelineVC within 15 s"
}

# The launcher must follow the renderer's X window within 300 ms.
ends_after_window() {  # <how the renderer ended>
    local gap
    gap=$(e2e_gap_after_window OrvelineVC "${WIN_PIDS[launcher]}" 5) || exit 1
    win_wait_exit launcher 1
    log "$1: launcher ended $gap ms after the renderer's window"
    [ "$gap" -le 300 ] || fail "$1: the launcher ended $gap ms after the renderer's window"
}

# 1. A run with music; a key ends it.
start_run
win_tool find Veyra_Main >/dev/null || fail "FindWindowA finds no Veyra_Main during the run"
sleep 1
grew=$(e2e_growth "$audio" 1)
log "audio output grew by $grew bytes in 1 s"
[ "$grew" -gt 0 ] || fail "the MP3 does not play (audio output does not grow)"

start=$(now_ms)
win_start second "$work/Orveline.scr" /s
win_wait_exit second 10 || fail "a second /s did not end"
log "a second /s ended after $(($(now_ms) - start)) ms with $WIN_EXIT"
[ "$WIN_EXIT" -eq 0 ] || fail "a second /s ended with $WIN_EXIT"
kill -0 "${WIN_PIDS[launcher]}" || fail "a second /s ended the running launcher"

win_key space OrvelineVC
ends_after_window "key press"
[ "$(e2e_growth "$audio" 0.5)" -eq 0 ] || fail "music goes on after the run"

# 2. The renderer killed: the launcher follows the same way.
start_run
sleep 0.5
pid=$(e2e_tagged_pids 'Orveline\.dll$' | head -n1)
[ -n "$pid" ] || fail "cannot find the renderer's process"
kill -KILL "$pid"
ends_after_window "SIGKILL to the renderer"

# 3. A close message to the hidden window ends the launcher; the renderer runs on.
start_run
win_tool post Veyra_Main 0x0010 || fail "cannot post WM_CLOSE to Veyra_Main"
win_wait_exit launcher 5 || fail "WM_CLOSE to Veyra_Main did not end the launcher"
[ "$WIN_EXIT" -eq 0 ] || fail "the launcher ended with $WIN_EXIT"
win_tool find OrvelineVC >/dev/null || fail "ending the launcher ended the renderer"

# 4. A renderer file that is no program: the run ends at once instead of waiting for a window
# (the watch goes by title, so the renderer left running above must go first).
win_key space OrvelineVC
win_wait_gone OrvelineVC 10 || fail "the renderer left running did not end"
mkdir -p "$work/broken"
cp "$work/Orveline.scr" "$work/broken/"
echo "not a program" >"$work/broken/Orveline.dll"
# Runs the launcher beside a renderer that never shows a window: the run must end at once, with 0.
run_ends_without_window() {  # <name> <what the renderer does>
    local start elapsed
    start=$(now_ms)
    win_start "$1" "$work/broken/Orveline.scr" /s
    win_wait_exit "$1" 10 || fail "the launcher waits on ($2)"
    elapsed=$(($(now_ms) - start))
    log "$2: the launcher ended after $elapsed ms with $WIN_EXIT"
    [ "$WIN_EXIT" -eq 0 ] || fail "the launcher ended with $WIN_EXIT ($2)"
    [ "$elapsed" -lt 5000 ] || fail "the launcher waited $elapsed ms ($2)"
}
run_ends_without_window broken "unstartable renderer"

# 5. A renderer that starts and ends before it shows a window (here a program that shows none):
# the run ends with it, not after the wait for a first window.
cp "$WIN_TOOL" "$work/broken/Orveline.dll"
run_ends_without_window early "renderer ended before its window"
log "passed"
