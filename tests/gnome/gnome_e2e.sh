#!/usr/bin/env bash
# Orveline on headless GNOME (mutter with two virtual monitors; the renderer runs through
# Xwayland, as mutter offers no layer shell). One case per run:
#   monitors    `orveline`: the run's window covers both monitors and each half animates
#               (two pictures a moment apart differ, neither is black); a click ends it
#   keys [N]    N runs (default 20), each started while a Wayland window that records the keys it
#               gets has the focus: one key ends every run, and the window records none of them;
#               afterwards it has the focus again and records a key
#   terminate   SIGTERM, SIGINT and SIGHUP to the launcher of a run each end the renderer and
#               the music within 1 s
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
source "$(dirname "${BASH_SOURCE[0]}")/mutter_lib.sh"
: "${ORVELINE_DIST:?}"
case_name=${1:?usage: gnome_e2e.sh monitors|keys [runs]|terminate}
skip_unless_built "$ORVELINE_DIST/Orveline.scr" launcher
gnome_start || exit

bin=$E2E_TMP/bin
cp -r "$ORVELINE_DIST" "$bin"
chmod -R a+rX "$bin"
audio=$GNOME_HOME/audio.raw
# Music from a file of its own, written to a file by SDL.
mkdir -p "$GNOME_HOME/.config/orveline"
e2e_make_mp3 "$GNOME_HOME/tone.mp3"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' "$GNOME_HOME/tone.mp3" \
    >"$GNOME_HOME/.config/orveline/Orveline.ini"
chown -R "$GNOME_USER" "$GNOME_HOME"
orveline() {
    gnome_spawn env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" "$bin/orveline" "$@"
}

# Live processes of our programs (an ended one can stay a zombie: see testing.md).
ours() { ps -u "$GNOME_USER" -o stat=,pid=,args= | awk -v d="$bin/" '$1 !~ /^Z/ && index($3, d) == 1'; }
renderer_pid() { ours | awk '$3 ~ /Orveline\.dll$/ { print $2 }'; }
launcher_pid() { ours | awk '$3 ~ /Orveline\.scr$/ { print $2 }'; }
nothing_left() { [ -z "$(ours)" ]; }
# The renderer's window, mapped (shown), by id.
shown_window() {
    local id
    id=$(gnome_run xdotool search --onlyvisible --name '^OrvelineVC$' 2>/dev/null | head -n1)
    [ -n "$id" ] && echo "$id"
}
wait_shown() { e2e_wait 15 shown_window >/dev/null || fail "no run showed: $(tail -n 3 "$GNOME_LOG")"; }
shot() {
    gnome_run sh -c "import -window '$1' png:-" >"$2" 2>/dev/null && [ -s "$2" ] ||
        fail "no picture of the window $1"
}

case "$case_name" in
    monitors)
        orveline
        wait_shown
        sleep 2
        id=$(shown_window)
        geometry=$(gnome_run xdotool getwindowgeometry "$id" | sed -n 's/ *Geometry: //p')
        [ "$geometry" = 2048x768 ] || fail "the window is $geometry, not both monitors (2048x768)"
        shot "$id" "$E2E_TMP/a.png"
        sleep 0.5
        shot "$id" "$E2E_TMP/b.png"
        for half in 0 1024; do
            for p in a b; do
                convert "$E2E_TMP/$p.png" -crop "1024x768+$half+0" +repage "$E2E_TMP/$p$half.png"
            done
            m=$(e2e_fraction "$E2E_TMP/a$half.png" -colorspace Gray -threshold 8%)
            e2e_float_ge "$m" 0.005 || fail "the monitor at x=$half is black ($m)"
            [ "$(e2e_differing_pixels "$E2E_TMP/a$half.png" "$E2E_TMP/b$half.png")" -gt 0 ] ||
                fail "the monitor at x=$half does not change"
            log "monitor at x=$half: drawn ($m), changing"
        done
        gnome_button 272
        e2e_wait 3 nothing_left || fail "a click left the run up: $(ours)"
        ;;
    keys)
        runs=${2:-20}
        keys=$GNOME_HOME/keys.rec
        printf '#!/bin/sh\nstty -icanon -echo min 1\nexec dd bs=1 of=%s 2>/dev/null\n' "$keys" \
            >"$GNOME_HOME/record.sh"
        chmod 755 "$GNOME_HOME/record.sh"
        gnome_spawn weston-terminal --shell="$GNOME_HOME/record.sh"
        e2e_wait 10 test -e "$keys" || fail "the recording window did not start"
        sleep 1
        ended=0
        for ((run = 1; run <= runs; run++)); do
            orveline
            wait_shown
            sleep 1
            [ -n "$(renderer_pid)" ] || fail "run $run ended by itself"
            gnome_key 57
            if e2e_wait 3 nothing_left; then
                ended=$((ended + 1))
            else
                log "run $run: the key left the run up"
                # The pointer ends it, so that the series goes on (the first move may count
                # as where it rests).
                gnome_move 40 40
                gnome_move 40 40
                e2e_wait 3 nothing_left || fail "neither a key nor the pointer ended run $run"
            fi
            sleep 0.5
        done
        recorded=$(e2e_file_size "$keys")
        log "a key ended $ended of $runs runs; the window underneath recorded $recorded keys"
        gnome_key 30
        e2e_wait 3 test "$(e2e_file_size "$keys")" -gt "$recorded" ||
            fail "the recording window did not have the focus back after the runs"
        [ "$ended" -eq "$runs" ] && [ "$recorded" -eq 0 ] || fail "keys went astray"
        ;;
    terminate)
        for signal in TERM INT HUP; do
            orveline
            wait_shown
            e2e_wait 5 test "$(e2e_file_size "$audio")" -gt 0 || fail "no music plays"
            kill -"$signal" "$(launcher_pid)"
            sleep 1
            nothing_left || fail "SIG$signal to the launcher left $(ours)"
            e2e_float_ge 1000 "$(e2e_growth "$audio" 0.5)" || fail "the music plays on after SIG$signal"
            log "SIG$signal to the launcher ended the run within 1 s"
            rm -f "$audio"
        done
        ;;
    *) fail "unknown case $case_name" ;;
esac
log "passed"
