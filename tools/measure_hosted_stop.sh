#!/usr/bin/env bash
# Measures how fast a hosted run ends: from SIGTERM to the launcher ("Orveline.scr --root", as a
# screen-saver daemon stops it) to the end of the last process of the run (launcher and renderer),
# with an MP3 playing through SDL's disk driver, on a private 1920x1080 Xvfb. Prints the minimum,
# median and maximum in milliseconds.
#   tools/measure_hosted_stop.sh [--runs N] [--build DIR]     (default: 10 runs, build/linux)
set -uo pipefail
cd "$(dirname "$0")/.."
runs=10
build=build/linux
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=$2; shift ;;
        --build) build=$2; shift ;;
        *) echo "usage: $0 [--runs N] [--build DIR]" >&2; exit 2 ;;
    esac
    shift
done
scr="$build/dist/Orveline.scr"
[ -x "$scr" ] || { echo "measure: no $scr (build first)" >&2; exit 1; }

source tests/support/display.sh
work=$E2E_TMP
e2e_xvfb -screen 0 1920x1080x24 || exit 1
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=disk \
    SDL_DISKAUDIOFILE="$work/audio.raw"
mkdir -p "$XDG_CONFIG_HOME/orveline" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
e2e_make_mp3 "$work/tone.mp3"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' "$work/tone.mp3" \
    >"$XDG_CONFIG_HOME/orveline/Orveline.ini"

for _ in $(seq "$runs"); do
    "$scr" --root 2>/dev/null &
    launcher=$!
    renderer=""
    for _ in $(seq 200); do
        renderer=$(pgrep -P "$launcher")
        [ -n "$renderer" ] && xdotool search --name '^OrvelineVC$' >/dev/null 2>&1 && break
        sleep 0.05
    done
    sleep 1  # drawing and playing
    start=$(date +%s%N)
    kill -TERM "$launcher"
    while kill -0 "$launcher" 2>/dev/null || kill -0 "$renderer" 2>/dev/null; do sleep 0.001; done
    echo $((($(date +%s%N) - start) / 1000000))
    wait "$launcher" 2>/dev/null
done | sort -n | awk '{ t[NR] = $1 } END {
    printf "SIGTERM to the end of the last process, %d runs: min %d ms, median %d ms, max %d ms\n",
        NR, t[1], t[int((NR + 1) / 2)], t[NR] }'
