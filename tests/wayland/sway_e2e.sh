#!/usr/bin/env bash
# Orveline on a headless sway with two outputs and Xwayland, started as the session starts
# programs (swaymsg exec), by an account of the test's own. One case per run:
#   native      `orveline`: both outputs animate (two screenshots of each a moment apart differ,
#               neither is black), the run stays up without input, a second launcher or renderer
#               ends at once, one key (wtype) ends it and no process of ours is left
#   no_display  the same with DISPLAY unset, and the music plays; SIGTERM to the launcher, not a
#               key, ends it: nothing of ours is left 1 s later, and the music stops
#   xwayland    the renderer alone with WAYLAND_DISPLAY unset, through Xwayland: still up and
#               drawing after 10 s
#   swayidle    `swayidle -w timeout 2 orveline` starts the run once the desktop is idle
#   on_idle     `orveline --on-idle 3`, without swayidle, starts the run 3 s after the last input
#               and again 3 s after a key ended it; a second watcher ends at once; SIGTERM to the
#               watcher leaves no process of ours
#   outputs     an output added during a run gets its own animation; one removed takes its
#               surface with it and the run goes on (where this sway can remove one: 1.7 cannot,
#               and the log says so); SIGTERM to the renderer ends the run
#   scale       on a 1280x720 output at scale 2 the renderer's buffers are 1280x720, and stay so
#               after the output goes to scale 1 during the run, which then covers the output
#   dialog      `orveline settings` with DISPLAY unset shows the dialog on Wayland; meanwhile a
#               full-screen start ends at once; the X-only modes refuse with a message
#   pointer     with a virtual pointer (the second argument: wayland_virtual_pointer): the first
#               move and moves of 4 pixels keep the run, a longer move ends it; a side button
#               keeps it, the right button ends it
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
: "${ORVELINE_DIST:?}"
case_name=${1:?usage: sway_e2e.sh native|no_display|xwayland|swayidle|on_idle|outputs|dialog|pointer|scale [pointer tool]}
skip_unless_built "$ORVELINE_DIST/Orveline.scr" launcher
# NOTE: sway refuses to run as root, so it runs as an account of its own.
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: the test's account can only be made as root"
    exit 77
fi
for tool in sway swaymsg grim wtype swayidle lame; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
user=orveline-wl
id "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user" || fail "cannot add $user"

work=$(mktemp -d)
chmod 755 "$work"
sway_pid=""
cleanup() {
    [ -n "$sway_pid" ] && kill "$sway_pid" 2>/dev/null
    pkill -KILL -u "$user" 2>/dev/null
    rm -rf "$work"
    return 0
}
e2e_at_exit cleanup
e2e_at_kill "pkill -KILL -u $user; rm -rf $work"
cp -r "$ORVELINE_DIST" "$work/bin"
home="$work/home"
mkdir -p "$home/.config/orveline" "$home/run" "$work/shots"
chmod 700 "$home/run"
head -c 352800 /dev/urandom >"$work/tone.raw"
lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s -b 128 "$work/tone.raw" \
    "$home/tone.mp3" 2>/dev/null || fail "cannot make the MP3"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' "$home/tone.mp3" \
    >"$home/.config/orveline/Orveline.ini"
printf 'output * bg #000000 solid_color\nxwayland enable\n' >"$home/sway.conf"
[ "$case_name" = scale ] &&
    printf 'output HEADLESS-1 mode 1280x720 scale 2\noutput HEADLESS-2 mode 1280x720\n' >>"$home/sway.conf"
chown -R "$user" "$home" "$work/shots"

runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=2 \
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$home/audio.raw" \
    sway -c "$home/sway.conf" >"$work/sway.log" 2>&1 &
sway_pid=$!
for _ in $(seq 100); do
    sock=$(ls "$home"/run/sway-ipc.*.sock 2>/dev/null | head -n1)
    wl=$(cd "$home/run" && ls wayland-* 2>/dev/null | grep -v lock | head -n1)
    [ -n "$sock" ] && [ -n "$wl" ] && break
    sleep 0.1
done
[ -n "$sock" ] && [ -n "$wl" ] || fail "sway did not start: $(tail -n 5 "$work/sway.log")"
as_user() {
    runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" \
        WAYLAND_DISPLAY="$wl" SWAYSOCK="$sock" "$@"
}
# Live processes of our programs (an ended one can stay a zombie: see testing.md).
ours() { ps -u "$user" -o stat=,args= | awk -v d="$work/bin/" '$1 !~ /^Z/ && index($2, d) == 1'; }
renderer_up() { ours | grep -q 'Orveline\.dll'; }
wait_renderer() {
    for _ in $(seq 100); do renderer_up && return 0; sleep 0.1; done
    fail "no renderer 10 s after the start: $(tail -n 5 "$work/sway.log")"
}
file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
mean() { convert "$1" -format '%[fx:mean]' info:; }
# Each output shows a picture that is neither black nor still.
check_outputs() {
    local o
    for o in HEADLESS-1 HEADLESS-2; do as_user grim -o "$o" "$work/shots/$o-1.png" || fail "grim $o"; done
    sleep 0.5
    for o in HEADLESS-1 HEADLESS-2; do as_user grim -o "$o" "$work/shots/$o-2.png" || fail "grim $o"; done
    for o in HEADLESS-1 HEADLESS-2; do
        m=$(mean "$work/shots/$o-1.png")
        awk -v m="$m" 'BEGIN { exit !(m > 0.01) }' || fail "$o is black (mean $m)"
        [ "$(compare -metric AE "$work/shots/$o-1.png" "$work/shots/$o-2.png" null: 2>&1)" != 0 ] ||
            fail "$o does not change"
        log "$o: mean $m, changing"
    done
}
wait_ended() {
    local start
    start=$(now_ms)
    while [ -n "$(ours)" ] && [ $(($(now_ms) - start)) -lt 3000 ]; do sleep 0.05; done
    [ -z "$(ours)" ] || fail "$1: $(ours)"
}
# One key ends the run; nothing of ours is left within 3 s.
check_key_ends() {
    # NOTE: the first key of a wtype call can be lost while the keymap is taken: send two.
    as_user wtype -k space -s 100 -k space || fail "wtype failed"
    local start
    start=$(now_ms)
    while [ -n "$(ours)" ] && [ $(($(now_ms) - start)) -lt 3000 ]; do sleep 0.05; done
    [ -z "$(ours)" ] || fail "left after a key: $(ours)"
    log "a key ended the run in $(($(now_ms) - start)) ms"
}

case "$case_name" in
    native | no_display)
        command=$work/bin/orveline
        [ "$case_name" = no_display ] && command="env -u DISPLAY $command"
        as_user swaymsg exec "$command" >/dev/null || fail "swaymsg exec failed"
        wait_renderer
        sleep 1.5
        s1=$(file_size "$home/audio.raw")
        check_outputs
        sleep 2
        [ "$(ours | grep -c .)" -eq 2 ] || fail "the run did not stay up: $(ours)"
        s2=$(file_size "$home/audio.raw")
        [ "$s2" -gt "$s1" ] || fail "no music plays ($s1 -> $s2 bytes)"
        log "up without input, music $s1 -> $s2 bytes"
        as_user timeout 10 $command || fail "a second start failed"
        as_user timeout 10 "$work/bin/Orveline.dll" || fail "a second renderer failed"
        [ "$(ours | grep -c .)" -eq 2 ] || fail "a second start did not end at once: $(ours)"
        if [ "$case_name" = native ]; then
            check_key_ends
        else
            pkill -TERM -u "$user" -x Orveline.scr
            sleep 1
            [ -z "$(ours)" ] || fail "left 1 s after SIGTERM to the launcher: $(ours)"
            [ "$(e2e_growth "$home/audio.raw" 0.3)" -eq 0 ] || fail "music goes on after SIGTERM"
            log "SIGTERM to the launcher ended the run"
        fi
        ;;
    xwayland)
        as_user swaymsg exec "env -u WAYLAND_DISPLAY $work/bin/Orveline.dll" >/dev/null ||
            fail "swaymsg exec failed"
        wait_renderer
        sleep 10
        renderer_up || fail "the renderer on Xwayland ended by itself within 10 s"
        as_user grim -o HEADLESS-1 "$work/shots/xwayland.png" || fail "grim failed"
        m=$(mean "$work/shots/xwayland.png")
        awk -v m="$m" 'BEGIN { exit !(m > 0.01) }' || fail "nothing drawn through Xwayland (mean $m)"
        log "up after 10 s through Xwayland, mean $m"
        check_key_ends
        ;;
    swayidle)
        start=$(now_ms)
        as_user swaymsg exec "swayidle -w timeout 2 '$work/bin/orveline'" >/dev/null ||
            fail "swaymsg exec failed"
        wait_renderer
        after=$(($(now_ms) - start))
        [ "$after" -ge 1900 ] || fail "the run started after $after ms, before the idle timeout"
        log "swayidle started the run after $after ms"
        sleep 1.5
        check_outputs
        check_key_ends
        ;;
    on_idle)
        start=$(now_ms)
        as_user swaymsg exec "$work/bin/orveline --on-idle 3 >$home/watcher.log 2>&1" >/dev/null ||
            fail "swaymsg exec failed"
        wait_renderer
        after=$(($(now_ms) - start))
        [ "$after" -ge 2900 ] || fail "the run started after $after ms, before the idle time"
        log "$(head -n1 "$home/watcher.log"); the run started after $after ms"
        out=$(as_user timeout 10 "$work/bin/orveline" --on-idle 3 2>&1) || fail "second: $out"
        grep -q 'already runs' <<<"$out" || fail "a second watcher said: $out"
        sleep 1.5
        as_user wtype -k space -s 100 -k space || fail "wtype failed"
        start=$(now_ms)
        for _ in $(seq 60); do renderer_up || break; sleep 0.05; done
        renderer_up && fail "a key did not end the run"
        wait_renderer
        after=$(($(now_ms) - start))
        [ "$after" -ge 2900 ] || fail "the next run started $after ms after the key"
        log "the next run started $after ms after the key"
        watcher=$(ps -u "$user" -o pid=,args= | awk '/Orveline\.scr --on-idle/ { print $1 }')
        kill -TERM $watcher
        wait_ended "left 3 s after SIGTERM to the watcher"
        ;;
    outputs)
        as_user swaymsg exec "$work/bin/orveline" >/dev/null || fail "swaymsg exec failed"
        wait_renderer
        as_user swaymsg create_output >/dev/null || fail "no output added"
        shown=HEADLESS-1
        # NOTE: sway 1.7 answers success to the disable but keeps the output ("Failed to commit
        # output" in its log): a removal counts only when the output is no longer active.
        active() {
            as_user swaymsg -t get_outputs | grep -E '"(name|active)"' | paste -d ' ' - - |
                grep -q "\"$1\",.*\"active\": true"
        }
        as_user swaymsg output HEADLESS-2 disable >/dev/null
        sleep 0.5
        if active HEADLESS-2; then
            log "removal is not exercised: this sway cannot remove an output (HEADLESS-2 still active)"
            shown="HEADLESS-1 HEADLESS-2"
        else
            log "HEADLESS-2 removed"
        fi
        sleep 1.5
        for o in $shown HEADLESS-3; do
            as_user grim -o "$o" "$work/shots/$o-a.png" || fail "grim $o"
        done
        sleep 0.5
        for o in $shown HEADLESS-3; do
            as_user grim -o "$o" "$work/shots/$o-b.png" || fail "grim $o"
            m=$(mean "$work/shots/$o-a.png")
            awk -v m="$m" 'BEGIN { exit !(m > 0.01) }' || fail "$o is black (mean $m)"
            [ "$(compare -metric AE "$work/shots/$o-a.png" "$work/shots/$o-b.png" null: 2>&1)" != 0 ] ||
                fail "$o does not change"
        done
        [ "$(ours | grep -c .)" -eq 2 ] || fail "the run did not survive the outputs' change"
        log "the added output animates; the run goes on over $shown HEADLESS-3"
        pid=$(ps -u "$user" -o pid=,args= | awk -v p="$work/bin/Orveline.dll" '$2 == p { print $1 }')
        kill -TERM $pid
        start=$(now_ms)
        while [ -n "$(ours)" ] && [ $(($(now_ms) - start)) -lt 3000 ]; do sleep 0.05; done
        [ -z "$(ours)" ] || fail "left after SIGTERM: $(ours)"
        ;;
    scale)
        debug=$home/wayland-debug.log
        as_user swaymsg exec "WAYLAND_DEBUG=client $work/bin/Orveline.dll 2>$debug" >/dev/null ||
            fail "swaymsg exec failed"
        wait_renderer
        # Sizes of the buffers made so far (Mesa's software path makes them from shared memory).
        buffers() { grep -o 'create_buffer([^)]*)' "$debug" | awk -F', ' '{ print $3 "x" $4 }' | sort | uniq -c; }
        sleep 2
        before=$(buffers)
        [ -n "$before" ] || fail "no buffers made: $(tail -n 3 "$debug")"
        grep -v -q ' 1280x720$' <<<"$before" && fail "buffers at scale 2: $before"
        log "buffers at scale 2: $(echo $before)"
        as_user swaymsg output HEADLESS-1 scale 1 >/dev/null || fail "no scale 1"
        sleep 1.5
        after=$(buffers)
        grep -v -q ' 1280x720$' <<<"$after" && fail "buffers after scale 1: $after"
        log "buffers after scale 1: $(echo $after)"
        # The whole output: each quarter shows a picture that changes.
        as_user grim -o HEADLESS-1 "$work/shots/scale-a.png" || fail "grim"
        sleep 0.5
        as_user grim -o HEADLESS-1 "$work/shots/scale-b.png" || fail "grim"
        for quarter in 640x360+0+0 640x360+640+0 640x360+0+360 640x360+640+360; do
            convert "$work/shots/scale-a.png" -crop "$quarter" +repage "$work/shots/q-a.png"
            convert "$work/shots/scale-b.png" -crop "$quarter" +repage "$work/shots/q-b.png"
            m=$(mean "$work/shots/q-b.png")
            awk -v m="$m" 'BEGIN { exit !(m > 0.005) }' || fail "quarter $quarter is black (mean $m)"
            [ "$(compare -metric AE "$work/shots/q-a.png" "$work/shots/q-b.png" null: 2>&1)" != 0 ] ||
                fail "quarter $quarter does not change"
        done
        renderer_up || fail "the renderer ended at the scale change"
        log "after scale 1 the whole output animates"
        check_key_ends
        ;;
    dialog)
        as_user swaymsg exec "env -u DISPLAY $work/bin/orveline settings" >/dev/null ||
            fail "swaymsg exec failed"
        # A Wayland window has an app_id; an X11 one through Xwayland has none.
        dialog_up() { grep -q '"app_id": "Orveline"' <<<"$(as_user swaymsg -t get_tree)"; }
        for _ in $(seq 100); do dialog_up && break; sleep 0.1; done
        dialog_up || fail "no settings dialog on Wayland: $(tail -n 5 "$work/sway.log")"
        sleep 0.5
        as_user grim "$work/shots/dialog.png" || fail "grim failed"
        m=$(mean "$work/shots/dialog.png")
        awk -v m="$m" 'BEGIN { exit !(m > 0.005) }' || fail "the dialog shows nothing (mean $m)"
        as_user env -u DISPLAY timeout 10 "$work/bin/orveline" || fail "a run beside the dialog failed"
        renderer_up && fail "a run started beside the settings dialog"
        log "the dialog shows on Wayland (mean $m); a run beside it ended at once"
        for mode in --root "preview 1"; do
            out=$(as_user env -u DISPLAY timeout 10 "$work/bin/orveline" $mode 2>&1) &&
                fail "orveline $mode without an X display did not fail"
            grep -q "X" <<<"$out" || fail "orveline $mode said nothing useful: $out"
        done
        ;;
    pointer)
        install -m 755 "${2:?the virtual pointer tool}" "$work/pointer"
        coproc POINTER { as_user "$work/pointer"; }
        # One step of the pointer; returns once the compositor has taken it.
        step() {
            echo "$*" >&"${POINTER[1]}"
            read -r -t 10 _ <&"${POINTER[0]}" || fail "the virtual pointer did not take: $*"
            sleep 0.5
        }
        # A run whose surfaces show under a pointer that rests away from the origin.
        start_run() {
            as_user swaymsg exec "$work/bin/orveline" >/dev/null || fail "swaymsg exec failed"
            wait_renderer
            for _ in $(seq 50); do
                as_user grim -o HEADLESS-1 "$work/shots/pointer.png" &&
                    awk -v m="$(mean "$work/shots/pointer.png")" 'BEGIN { exit !(m > 0.01) }' &&
                    break
                sleep 0.2
            done
        }
        up() { [ "$(ours | grep -c .)" -eq 2 ] || fail "$1"; }
        step move 300 200
        start_run
        step move 1 1
        up "the pointer's first move ended the run"
        step move 2 0
        step move 2 0
        up "moves of 4 pixels ended the run"
        step move 30 0
        wait_ended "a move of 30 pixels left the run up"
        log "the first move and 4-pixel moves kept the run, a longer move ended it"
        start_run
        step move 1 0
        step button 275
        up "a side button ended the run"
        step button 273
        wait_ended "the right button left the run up"
        log "a side button kept the run, the right button ended it"
        ;;
    *) fail "unknown case $case_name" ;;
esac
log "passed"
