#!/usr/bin/env bash
# Runs the music module's winmm checks under Wine with an audio device of its own: a HOME whose
# ALSA configuration writes the sound to a file (Wine reports no waveform device without one).
# Usage: wine_music.sh <wine_music_check.exe>
set -eu
exe=$1
work=$(mktemp -d /tmp/orveline-wine-music-XXXXXX)
trap 'rm -rf "$work"' EXIT

cat >"$work/.asoundrc" <<ASOUND
pcm.!default { type file  slave.pcm "null"  file "$work/wine_audio.raw"  format "raw" }
ASOUND

# 0.3 s of noise as WAV, and as MP3 through the encoder.
le() { local v=$1 n=$2 i; for ((i = 0; i < n; i++)); do printf '\\x%02x' $(((v >> (8 * i)) & 255)); done; }
bytes=52920
head -c $bytes /dev/urandom >"$work/noise.raw"
{
    printf 'RIFF'; printf "$(le $((36 + bytes)) 4)"; printf 'WAVEfmt '
    printf "$(le 16 4)$(le 1 2)$(le 2 2)$(le 44100 4)$(le 176400 4)$(le 4 2)$(le 16 2)"
    printf 'data'; printf "$(le $bytes 4)"
    cat "$work/noise.raw"
} >"$work/tone.wav"
lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s -b 128 \
    "$work/noise.raw" "$work/tone.mp3"

winpath() { echo "Z:${1//\//\\}"; }
export ORVELINE_TEST_MP3=$(winpath "$work/tone.mp3") ORVELINE_TEST_WAV=$(winpath "$work/tone.wav")
HOME=$work timeout 120 "$ORVELINE_SOURCE/tests/wine/wine-run" "$exe" </dev/null
test -s "$work/wine_audio.raw" || { echo "FAIL: nothing reached the audio device" >&2; exit 1; }
