#!/usr/bin/env bash
# Hosted runs in two host windows, as a daemon starts one copy per monitor: both animate inside
# their host and follow its size, one music stream plays, and a full-screen run's window does not
# stop them. SIGTERM to the copy without music ends all of its processes within 500 ms and leaves
# the other's music; a destroyed host ends its run. A preview pane plays no music and SIGHUP ends
# it. Bad ids, and an open settings dialog, end a copy at once with nothing started.
#   hosted_linux.sh <x11_titled_window>
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../e2e_helpers.sh"
: "${ORVELINE_DIST:?}" "${DISPLAY:?}"
scr="$ORVELINE_DIST/Orveline.scr"
renderer="$ORVELINE_DIST/Orveline.dll"
titled=$1
skip_unless_built "$scr" launcher
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
    pkill -KILL -f "^$renderer --window-id" 2>/dev/null
    rm -rf "$work"
    return 0
}
trap cleanup EXIT
file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
ours() { pgrep -f "^$scr --|^$renderer --window-id" | wc -l; }

# A host window: mapped, placed and sized; prints the titled window's process and its id.
host_window() {  # host_window <title> <x> <y>
    "$titled" "$1" mapped >/dev/null &
    local pid=$! id="" i
    for ((i = 0; i < 100; i++)); do
        id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n1)
        [ -n "$id" ] && break
        sleep 0.05
    done
    [ -n "$id" ] || fail "no host window $1"
    xdotool windowsize "$id" 480 270 windowmove "$id" "$2" "$3"
    echo "$pid $id"
}
# The renderer's window inside a host, waited for up to 10 s.
child_in() {  # child_in <host id>
    local i
    for ((i = 0; i < 200; i++)); do
        xwininfo -children -id "$1" 2>/dev/null | grep -q '"OrvelineVC"' && return 0
        sleep 0.05
    done
    return 1
}
shot_mean() { import -window "$1" "$2" 2>/dev/null && convert "$2" -format '%[fx:mean]' info:; }
# The picture in a host is not black (after the first frames) and changes.
animates() {  # animates <host id> <name>
    local m i
    for ((i = 0; i < 30; i++)); do
        m=$(shot_mean "$1" "$work/$2-1.png") || fail "no screenshot of $2"
        awk -v m="$m" 'BEGIN { exit !(m > 0.002) }' && break
        sleep 0.1
    done
    sleep 0.4
    shot_mean "$1" "$work/$2-2.png" >/dev/null
    awk -v m="$m" 'BEGIN { exit !(m > 0.002) }' || fail "$2 is black (mean $m)"
    [ "$(compare -metric AE "$work/$2-1.png" "$work/$2-2.png" null: 2>&1)" != 0 ] ||
        fail "the picture in $2 does not change"
    log "$2: mean $m, changes"
}
gone_within() {  # gone_within <ms> <pid...>: all of them
    local deadline=$(($(now_ms) + $1)) p alive
    while :; do
        alive=0
        for p in "${@:2}"; do kill -0 "$p" 2>/dev/null && alive=1; done
        [ "$alive" -eq 0 ] && return 0
        [ "$(now_ms)" -gt "$deadline" ] && return 1
        sleep 0.005
    done
}

# Settings: music from an MP3 file.
head -c 352800 /dev/urandom >"$work/tone.raw"
lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s -b 128 "$work/tone.raw" \
    "$work/tone.mp3" 2>/dev/null || fail "cannot make the MP3"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=disk
mkdir -p "$XDG_CONFIG_HOME/orveline" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' "$work/tone.mp3" \
    >"$XDG_CONFIG_HOME/orveline/Orveline.ini"

read -r host_a_pid host_a < <(host_window HostA 0 0)
read -r host_b_pid host_b < <(host_window HostB 600 0)
"$titled" Veyra_Main >/dev/null &
pids+=("$host_a_pid" "$host_b_pid" $!)

# 1. Two copies with --root, one per host; the first holds the music.
XSCREENSAVER_WINDOW=$(printf '0x%x' "$host_a") SDL_DISKAUDIOFILE="$work/a.raw" "$scr" --root &
copy_a=$!
sleep 0.3
XSCREENSAVER_WINDOW=$host_b SDL_DISKAUDIOFILE="$work/b.raw" "$scr" -root &
copy_b=$!
pids+=("$copy_a" "$copy_b")
child_in "$host_a" || fail "no renderer window in host A"
child_in "$host_b" || fail "no renderer window in host B"
renderer_b=$(pgrep -P "$copy_b")
animates "$host_a" "host A"
animates "$host_b" "host B"
a1=$(file_size "$work/a.raw")
sleep 0.5
a2=$(file_size "$work/a.raw")
log "music: copy A $a1 -> $a2 bytes, copy B $(file_size "$work/b.raw") bytes"
[ "$a2" -gt "$a1" ] || fail "the first copy plays no music"
[ "$(file_size "$work/b.raw")" -eq 0 ] || fail "the second copy plays music too"

xdotool windowsize "$host_a" 640 360
sleep 0.5
child=$(xwininfo -children -id "$host_a" | awk '/"OrvelineVC"/ { print $1 }')
size=$(xwininfo -id "$child" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$size" = 640x360 ] || fail "the renderer's window is $size after the host became 640x360"

# 2. SIGTERM to the copy without music: its processes end, the other's music goes on.
start=$(now_ms)
kill -TERM "$copy_b"
gone_within 500 "$copy_b" "$renderer_b" || fail "copy B left a process 500 ms after SIGTERM"
log "SIGTERM: every process of copy B gone after $(($(now_ms) - start)) ms"
wait "$copy_b"
a3=$(file_size "$work/a.raw")
sleep 0.4
[ "$(file_size "$work/a.raw")" -gt "$a3" ] || fail "ending copy B stopped copy A's music"

# 3. Host A destroyed: run A ends, its music stops.
renderer_a=$(pgrep -P "$copy_a")
kill -KILL "$host_a_pid"
start=$(now_ms)
gone_within 1000 "$copy_a" "$renderer_a" || fail "copy A outlived its host by 1 s"
log "host destroyed: copy A gone after $(($(now_ms) - start)) ms"
a4=$(file_size "$work/a.raw")
sleep 0.3
[ "$(file_size "$work/a.raw")" -eq "$a4" ] || fail "music goes on after the run"

# 4. A preview pane in host B: the live picture, no music; SIGHUP ends it.
SDL_DISKAUDIOFILE="$work/p.raw" "$scr" --window-id "$host_b" &
pane=$!
pids+=("$pane")
child_in "$host_b" || fail "no renderer window in the preview pane"
animates "$host_b" "preview pane"
[ "$(file_size "$work/p.raw")" -eq 0 ] || fail "the preview pane plays music"
pane_renderer=$(pgrep -P "$pane")
kill -HUP "$pane"
gone_within 500 "$pane" "$pane_renderer" || fail "the preview pane outlived SIGHUP by 500 ms"

# 5. Bad input: one line on stderr, exit code 1, nothing started; an open dialog ends a copy.
for args in "--window-id 0x7ffffff0" "--window-id zz" "--window-id" "--root --fast"; do
    # shellcheck disable=SC2086
    timeout 5 "$scr" $args 2>"$work/err"
    rc=$?
    [ "$rc" -eq 1 ] || fail "\"$args\" ended with $rc"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "\"$args\" wrote: $(cat "$work/err")"
done
XSCREENSAVER_WINDOW=nowhere timeout 5 "$scr" --root 2>/dev/null
[ $? -eq 1 ] || fail "a bad XSCREENSAVER_WINDOW did not end with 1"
"$titled" "<Orveline>" >/dev/null &
pids+=($!)
sleep 0.2
timeout 5 "$scr" --window-id "$host_b" || fail "a hosted copy beside the settings dialog failed"
[ "$(ours)" -eq 0 ] || fail "a process of ours is left: $(pgrep -af "$ORVELINE_DIST")"
log "passed"
