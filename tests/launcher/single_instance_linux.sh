#!/usr/bin/env bash
# Two copies of Orveline.scr started a moment apart never both pass the single-instance test:
# each pair of "/c" starts leaves one settings dialog, each pair of "/s" starts one run with one
# renderer and one music. One copy of a pair runs in Japanese, the other not. The music lies 254
# bytes down folders with Japanese names: such a path reads back whole and plays.
#   single_instance_linux.sh <x11_titled_window> [pairs]   (pairs: ORVELINE_PAIRS, else 3)
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
titled_window=$1
pairs=${2:-${ORVELINE_PAIRS:-3}}
: "${ORVELINE_DIST:?}"
e2e_ensure_display

work=$E2E_TMP
own="$work/own 設定"
mkdir -p "$own"
cp "$ORVELINE_DIST/Orveline.scr" "$own/"
printf '#!/bin/sh\necho $$ >>"%s"\nexec "%s" OrvelineVC mapped\n' "$work/renderers" \
    "$titled_window" >"$own/Orveline.dll"
chmod +x "$own/Orveline.dll"

e2e_music_settings "$work"
bytes() { printf %s "$1" | wc -c; }
music="$work/音楽"
while [ $(($(bytes "$music") + 14)) -lt 254 ]; do music="$music/曲"; done
mkdir -p "$music"
music="$music/$(printf 'a%.0s' $(seq $((254 - $(bytes "$music") - 5)))).mp3"
[ "$(bytes "$music")" = 254 ] || fail "the music path has $(bytes "$music") bytes"
mv "$work/tone.mp3" "$music"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' "$music" \
    >"$XDG_CONFIG_HOME/orveline/Orveline.ini"

# start_pair <switch> <gap>: two copies, the second <gap> seconds after the first; their pids in
# a and b, their music in $work/audio-a and -b.
start_pair() {
    rm -f "$work"/audio-* "$work/renderers"
    LANG=ja_JP.UTF-8 SDL_DISKAUDIOFILE="$work/audio-a" "$own/Orveline.scr" "$1" \
        </dev/null >>"$work/out" 2>&1 &
    a=$!
    sleep "$2"
    LANG=C SDL_DISKAUDIOFILE="$work/audio-b" "$own/Orveline.scr" "$1" \
        </dev/null >>"$work/out" 2>&1 &
    b=$!
}

one_ended() { ! e2e_running "$a" || ! e2e_running "$b"; }

# One copy of the pair ends by itself, at once; the other is the one left. Sets kept.
one_left() {
    e2e_wait 5 one_ended || fail "pair $i of $1: both copies run"
    kept=$a
    e2e_running "$a" || kept=$b
    sleep 1
    e2e_running "$kept" || fail "pair $i of $1: no copy runs"
    [ "$(xdotool search --name "^$2\$" 2>/dev/null | wc -l)" = 1 ] ||
        fail "pair $i of $1: not one window $2"
}

end_pair() {
    local renderers=()
    [ -f "$work/renderers" ] && mapfile -t renderers <"$work/renderers"
    kill "$a" "$b" "${renderers[@]}" 2>/dev/null
    wait "$a" "$b" 2>/dev/null
}

for ((i = 1; i <= pairs; i++)); do
    start_pair /c 0.1
    e2e_wait_window '<Orveline>' 20 >/dev/null || fail "pair $i of /c: no dialog"
    one_left /c '<Orveline>'
    end_pair
done
log "$pairs pairs of /c: one dialog each"

for ((i = 1; i <= pairs; i++)); do
    start_pair /s 0.08
    e2e_wait_window OrvelineVC 20 >/dev/null || fail "pair $i of /s: no renderer"
    one_left /s OrvelineVC
    renderers=$(wc -l <"$work/renderers")
    [ "$renderers" = 1 ] || fail "pair $i of /s: $renderers renderers"
    audio="$work/audio-$([ "$kept" = "$a" ] && echo a || echo b)"
    [ "$(e2e_growth "$audio" 0.5)" -gt 0 ] || fail "pair $i of /s: the run plays no music"
    [ "$(find "$work" -maxdepth 1 -name 'audio-*' | wc -l)" = 1 ] ||
        fail "pair $i of /s: both copies play music"
    end_pair
done
log "$pairs pairs of /s: one run and one music each"
echo PASS
