#!/usr/bin/env bash
# The music lock of hosted copies is tried while a run lasts: of two copies in two hosts the first
# plays the music and the second none; SIGKILL to the first ends its renderer too (the parent-death
# signal) and the second takes the music over.
#   music_takeover.sh <x11_titled_window>
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
: "${ORVELINE_DIST:?}" "${DISPLAY:?}"
scr="$ORVELINE_DIST/Orveline.scr"
skip_unless_built "$scr" launcher
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
    rm -rf "$work"
    return 0
}
e2e_at_exit cleanup
size() { stat -c %s "$1" 2>/dev/null || echo 0; }
grows() {  # grows <file> <tries, 0.5 s apart>
    local i before
    for ((i = 0; i < $2; i++)); do
        before=$(size "$1")
        sleep 0.5
        [ "$(size "$1")" -gt "$before" ] && return 0
    done
    return 1
}

e2e_music_settings "$work"
for host in TakeoverA TakeoverB; do
    "$1" "$host" mapped >/dev/null &
    pids+=($!)
done
for _ in $(seq 100); do xdotool search --name '^TakeoverB$' >/dev/null && break; sleep 0.05; done
host_a=$(xdotool search --name '^TakeoverA$' | head -n1)
host_b=$(xdotool search --name '^TakeoverB$' | head -n1)
[ -n "$host_a" ] && [ -n "$host_b" ] || fail "no host windows"

XSCREENSAVER_WINDOW=$host_a SDL_DISKAUDIOFILE="$work/a.raw" "$scr" --root &
copy_a=$!
pids+=("$copy_a")
grows "$work/a.raw" 20 || fail "the first copy plays no music"
XSCREENSAVER_WINDOW=$host_b SDL_DISKAUDIOFILE="$work/b.raw" "$scr" --root &
pids+=($!)
sleep 1.5
[ "$(size "$work/b.raw")" -eq 0 ] || fail "the second copy plays music beside the first"

renderer_a=$(pgrep -P "$copy_a")
[ -n "$renderer_a" ] || fail "the first copy has no renderer"
kill -KILL "$copy_a"
start=$(now_ms)
grows "$work/b.raw" 10 || fail "the second copy did not take the music over"
log "the second copy took the music over within $(($(now_ms) - start)) ms"
# An orphan that ended can stay a zombie here, which is no renderer running on.
renderer_a_ended() { ! e2e_running "$renderer_a"; }
e2e_wait 1 renderer_a_ended || fail "the killed copy's renderer runs on"
log "passed"
