#!/usr/bin/env bash
# The full-screen run under Wine: "Orveline.scr /s" starts the renderer, has a hidden window
# "Veyra_Main", plays the MP3 of its settings (into a file-backed ALSA device), refuses a second
# /s, and ends within 300 ms of the renderer's window going (the music stopped), after a key press
# or after the renderer was killed; WM_CLOSE to "Veyra_Main" ends the launcher and leaves the
# renderer; a renderer file that cannot be started, or a renderer that ends before its window,
# ends the run at once.
source "$ORVELINE_SOURCE/tests/wine/lib.sh"
for f in Orveline.scr Orveline.dll; do [ -f "$ORVELINE_DIST/$f" ] || win_fail "no $f"; done

# A copy of the programs with their settings beside them, and a HOME whose audio goes to a file.
work=$(mktemp -d)
trap 'win_cleanup; rm -rf "$work"' EXIT
cp "$ORVELINE_DIST/Orveline.scr" "$ORVELINE_DIST/Orveline.dll" "$work/"
head -c 352800 /dev/urandom >"$work/tone.raw"
lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s -b 128 \
    "$work/tone.raw" "$work/tone.mp3" 2>/dev/null || win_fail "cannot make the MP3"
mp3="Z:${work//\//\\}\\tone.mp3"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xd8\xcb\xdf\xb0\xc4=0\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' \
    "$mp3" >"$work/Orveline.ini"
audio="$work/wine_audio.raw"
printf 'pcm.!default { type file  slave.pcm "null"  file "%s"  format "raw" }\n' "$audio" \
    >"$work/.asoundrc"
export HOME=$work

now_ms() { date +%s%3N; }
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

start_run() {
    rm -f "$audio"
    win_start launcher "$work/Orveline.scr" /s
    win_wait_window OrvelineVC 15 || win_fail "no renderer window OrvelineVC within 15 s"
}

# Waits for the renderer's X window to go, then for the launcher; prints the gap in ms.
launcher_gap_after_window() {
    local pid=${WIN_PIDS[launcher]} gone="" i
    for ((i = 0; i < 500; i++)); do
        [ -z "$(win_xid OrvelineVC)" ] && { gone=$(now_ms); break; }
        sleep 0.01
    done
    [ -n "$gone" ] || win_fail "the renderer's window did not go"
    for ((i = 0; i < 400; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.005
    done
    kill -0 "$pid" 2>/dev/null && win_fail "the launcher outlived the renderer's window by 2 s"
    echo $(($(now_ms) - gone))
    win_wait_exit launcher 1
}

# 1. A run with music; a key ends it.
start_run
win_tool find Veyra_Main >/dev/null || win_fail "FindWindowA finds no Veyra_Main during the run"
sleep 1
size1=$(size_of "$audio")
sleep 1
size2=$(size_of "$audio")
win_log "audio output $size1 -> $size2 bytes"
[ "$size2" -gt "$size1" ] || win_fail "the MP3 does not play (audio output does not grow)"

start=$(now_ms)
win_start second "$work/Orveline.scr" /s
win_wait_exit second 10 || win_fail "a second /s did not end"
win_log "a second /s ended after $(($(now_ms) - start)) ms with $WIN_EXIT"
[ "$WIN_EXIT" -eq 0 ] || win_fail "a second /s ended with $WIN_EXIT"
kill -0 "${WIN_PIDS[launcher]}" || win_fail "a second /s ended the running launcher"

win_key space OrvelineVC
gap=$(launcher_gap_after_window)
win_log "key press: launcher ended $gap ms after the renderer's window"
[ "$gap" -le 300 ] || win_fail "the launcher ended $gap ms after the renderer's window"
size3=$(size_of "$audio")
sleep 0.5
[ "$(size_of "$audio")" -eq "$size3" ] || win_fail "music goes on after the run"

# 2. The renderer killed: the launcher follows the same way.
start_run
sleep 0.5
pid=$(pgrep -f 'Orveline\.dll$' | while read -r p; do
    grep -qzx "ORVELINE_TEST_TAG=$ORVELINE_TEST_TAG" /proc/$p/environ 2>/dev/null && echo "$p"
done | head -n1)
[ -n "$pid" ] || win_fail "cannot find the renderer's process"
kill -KILL "$pid"
gap=$(launcher_gap_after_window)
win_log "killed renderer: launcher ended $gap ms after the renderer's window"
[ "$gap" -le 300 ] || win_fail "the launcher ended $gap ms after the killed renderer's window"

# 3. A close message to the hidden window ends the launcher; the renderer runs on.
start_run
win_tool post Veyra_Main 0x0010 || win_fail "cannot post WM_CLOSE to Veyra_Main"
win_wait_exit launcher 5 || win_fail "WM_CLOSE to Veyra_Main did not end the launcher"
[ "$WIN_EXIT" -eq 0 ] || win_fail "the launcher ended with $WIN_EXIT"
win_tool find OrvelineVC >/dev/null || win_fail "ending the launcher ended the renderer"

# 4. A renderer file that is no program: the run ends at once instead of waiting for a window
# (the watch goes by title, so the renderer left running above must go first).
win_key space OrvelineVC
win_wait_gone OrvelineVC 10 || win_fail "the renderer left running did not end"
mkdir -p "$work/broken"
cp "$work/Orveline.scr" "$work/broken/"
echo "not a program" >"$work/broken/Orveline.dll"
# Runs the launcher beside a renderer that never shows a window: the run must end at once, with 0.
run_ends_without_window() {  # <name> <what the renderer does>
    local start elapsed
    start=$(now_ms)
    win_start "$1" "$work/broken/Orveline.scr" /s
    win_wait_exit "$1" 10 || win_fail "the launcher waits on ($2)"
    elapsed=$(($(now_ms) - start))
    win_log "$2: the launcher ended after $elapsed ms with $WIN_EXIT"
    [ "$WIN_EXIT" -eq 0 ] || win_fail "the launcher ended with $WIN_EXIT ($2)"
    [ "$elapsed" -lt 5000 ] || win_fail "the launcher waited $elapsed ms ($2)"
}
run_ends_without_window broken "unstartable renderer"

# 5. A renderer that starts and ends before it shows a window (here a program that shows none):
# the run ends with it, not after the wait for a first window.
cp "$WIN_TOOL" "$work/broken/Orveline.dll"
run_ends_without_window early "renderer ended before its window"
win_log "passed"
