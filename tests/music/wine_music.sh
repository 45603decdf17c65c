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

# A short tone as WAV, and as MP3 through the encoder.
python3 - "$work/tone.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(b"".join(struct.pack("<hh", v, v) for v in
                  (int(8000 * math.sin(2 * math.pi * 440 * i / 44100)) for i in range(13230))))
PY
lame --quiet -b 128 "$work/tone.wav" "$work/tone.mp3"

winpath() { echo "Z:${1//\//\\}"; }
export ORVELINE_TEST_MP3=$(winpath "$work/tone.mp3") ORVELINE_TEST_WAV=$(winpath "$work/tone.wav")
HOME=$work timeout 120 "$ORVELINE_SOURCE/tests/wine/wine-run" "$exe" </dev/null
test -s "$work/wine_audio.raw" || { echo "FAIL: nothing reached the audio device" >&2; exit 1; }
