#!/usr/bin/env bash
# Hosted runs in two host windows, as a daemon starts one copy per monitor: both animate inside
# their host and follow its size, one music stream plays, and a full-screen run's window does not
# stop them. SIGTERM to the copy without music ends all of its processes within 500 ms and leaves
# the other's music; a destroyed host ends its run. A preview pane plays no music and SIGHUP ends
# it. Bad ids, and an open settings dialog, end a copy at once with nothing started. With no
# session bus, as for a daemon outside a desktop session, none is started. In an empty home,
# --add-to-xscreensaver takes the daemon's list from where the X Toolkit finds its file.
#   hosted_linux.sh <x11_titled_window>
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
: "${ORVELINE_DIST:?}" "${DISPLAY:?}"
scr="$ORVELINE_DIST/Orveline.scr"
titled=$1
skip_unless_built "$scr" launcher
unset DBUS_SESSION_BUS_ADDRESS
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
    pkill -KILL -f "^$ORVELINE_DIST/Orveline.dll --window-id" 2>/dev/null
    rm -rf "$work"
    return 0
}
e2e_at_exit cleanup
file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
retry() {  # retry <tries, 50 ms apart> <command...>
    local i
    for ((i = 0; i < $1; i++)); do "${@:2}" && return 0; sleep 0.05; done
    return 1
}
renderer_in() { xwininfo -children -id "$1" 2>/dev/null | grep -q '"OrvelineVC"'; }
bright() {  # bright <host id> <png>: a screenshot whose mean is above black
    e2e_screenshot "$2" "$1" 2>/dev/null &&
        awk -v m="$(convert "$2" -format '%[fx:mean]' info:)" 'BEGIN { exit !(m > 0.002) }'
}
animates() {  # animates <host id> <name>: not black once drawing, and changing
    retry 40 bright "$1" "$work/$2-1.png" || fail "the picture in $2 stays black"
    sleep 0.4
    e2e_screenshot "$work/$2-2.png" "$1"
    [ "$(compare -metric AE "$work/$2-1.png" "$work/$2-2.png" null: 2>&1)" != 0 ] ||
        fail "the picture in $2 does not change"
}
all_gone() { ! kill -0 "$@" 2>/dev/null; }
stops_within() {  # stops_within <ms> <pid...>: every one of them has ended in time
    local start
    start=$(now_ms)
    retry $(($1 / 50)) all_gone "${@:2}" || fail "a process of pid ${*:2} ran $1 ms on"
    log "pids ${*:2} ended after $(($(now_ms) - start)) ms"
}

e2e_music_settings "$work"

"$titled" HostA mapped >/dev/null &
host_a_pid=$!
pids+=("$host_a_pid")
"$titled" HostB mapped >/dev/null &
pids+=($!)
"$titled" Veyra_Main >/dev/null &
pids+=($!)
retry 100 xdotool search --name '^HostB$' >/dev/null || fail "no host windows"
host_a=$(xdotool search --name '^HostA$' | head -n1)
host_b=$(xdotool search --name '^HostB$' | head -n1)
xdotool windowsize "$host_a" 480 270 windowsize "$host_b" 480 270 windowmove "$host_b" 600 0

# 1. Two copies with --root, one per host; the first holds the music.
XSCREENSAVER_WINDOW=$(printf '0x%x' "$host_a") SDL_DISKAUDIOFILE="$work/a.raw" "$scr" --root &
copy_a=$!
sleep 0.3
XSCREENSAVER_WINDOW=$host_b SDL_DISKAUDIOFILE="$work/b.raw" "$scr" -root &
copy_b=$!
pids+=("$copy_a" "$copy_b")
retry 200 renderer_in "$host_a" && retry 200 renderer_in "$host_b" || fail "no renderer in a host"
animates "$host_a" "host A"
animates "$host_b" "host B"
a1=$(file_size "$work/a.raw")
sleep 0.5
[ "$(file_size "$work/a.raw")" -gt "$a1" ] || fail "the first copy plays no music"
[ "$(file_size "$work/b.raw")" -eq 0 ] || fail "the second copy plays music too"

xdotool windowsize "$host_a" 640 360
child=$(xwininfo -children -id "$host_a" | awk '/"OrvelineVC"/ { print $1 }')
has_size() { xwininfo -id "$child" | grep -qz 'Width: 640.*Height: 360'; }
retry 20 has_size || fail "the renderer's window does not follow its host to 640x360"

# 2. SIGTERM to the copy without music: its processes end, the other's music goes on.
renderer_b=$(pgrep -P "$copy_b")
kill -TERM "$copy_b"
stops_within 500 "$copy_b" "$renderer_b"
a2=$(file_size "$work/a.raw")
sleep 0.4
[ "$(file_size "$work/a.raw")" -gt "$a2" ] || fail "ending copy B stopped copy A's music"

# 3. Host A destroyed: run A ends, its music stops.
renderer_a=$(pgrep -P "$copy_a")
kill -KILL "$host_a_pid"
stops_within 1000 "$copy_a" "$renderer_a"
a3=$(file_size "$work/a.raw")
sleep 0.3
[ "$(file_size "$work/a.raw")" -eq "$a3" ] || fail "music goes on after the run"

# 4. A preview pane in host B: the live picture, no music; SIGHUP ends it.
SDL_DISKAUDIOFILE="$work/p.raw" "$scr" --window-id "$host_b" &
pane=$!
pids+=("$pane")
retry 200 renderer_in "$host_b" || fail "no renderer in the preview pane"
animates "$host_b" "preview pane"
[ "$(file_size "$work/p.raw")" -eq 0 ] || fail "the preview pane plays music"
pane_renderer=$(pgrep -P "$pane")
kill -HUP "$pane"
stops_within 500 "$pane" "$pane_renderer"

# 5. Bad input: one line on stderr, exit code 1, nothing started; an open dialog ends a copy.
for args in "--window-id 0x7ffffff0" "--window-id zz" "--window-id" "--root --fast"; do
    # shellcheck disable=SC2086
    timeout 5 "$scr" $args 2>"$work/err"
    rc=$?
    [ "$rc" -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] ||
        fail "\"$args\" ended with $rc and wrote: $(cat "$work/err")"
done
XSCREENSAVER_WINDOW=nowhere timeout 5 "$scr" --root 2>/dev/null
[ $? -eq 1 ] || fail "a bad XSCREENSAVER_WINDOW did not end with 1"
"$titled" "<Orveline>" >/dev/null &
pids+=($!)
sleep 0.2
timeout 5 "$scr" --window-id "$host_b" || fail "a hosted copy beside the settings dialog failed"
[ -z "$(pgrep -f "^$ORVELINE_DIST/Orveline")" ] || fail "left: $(pgrep -af "$ORVELINE_DIST")"
[ -z "$(e2e_tagged_pids dbus)" ] || fail "a session bus was started: $(e2e_tagged_pids dbus | xargs ps -o args= -p)"

# 6. The daemon's file only under a usr/share folder of the X Toolkit's search path.
defaults=/etc/X11/app-defaults/XScreenSaver
if [ -f "$defaults" ]; then
    mkdir -p "$work/usr/share/X11/app-defaults" "$work/home"
    cp "$defaults" "$work/usr/share/X11/app-defaults/"
    HOME="$work/home" XFILESEARCHPATH="$work/etc/X11/%T/%N%C%S:$work/usr/share/X11/%L/%T/%N%S:$work/usr/share/X11/%T/%N%S" \
        "$scr" --add-to-xscreensaver >/dev/null || fail "--add-to-xscreensaver in an empty home failed"
    count() { grep -c -- '\\n' "$1"; }  # the entries of the list, each ended by \n
    [ "$(count "$work/home/.xscreensaver")" -eq $(($(count "$defaults") + 1)) ] &&
        grep -q "orveline --root" "$work/home/.xscreensaver" ||
        fail "the new list has $(count "$work/home/.xscreensaver") of the daemon's $(count "$defaults") programs and ours"
fi
log "passed"
