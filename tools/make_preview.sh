#!/usr/bin/env bash
# Makes the preview picture assets/preview.jpg: the renderer (Linux build) runs full screen on a
# private X server of a few times the picture's size, so that its trails keep their look of a
# screen rather than filling a tiny one; the screen is taken after a few seconds, scaled down to
# 152x112 and saved as a JPEG without chroma subsampling (so every decoder gives the same pixels).
#   tools/make_preview.sh [build-dir] [seconds] [scale]     default build/linux, 2.5 s, 8
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/linux}
seconds=${2:-2.5}
scale=${3:-8}
renderer="$build/dist/Orveline.dll"
[ -x "$renderer" ] || { echo "make_preview: build the renderer first ($renderer)" >&2; exit 1; }

fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 $((152 * scale))x$((112 * scale))x24 -nolisten tcp -noreset 3>"$fdfile" 2>/dev/null &
xvfb=$!
renderer_pid=""
cleanup() {
    [ -n "$renderer_pid" ] && kill "$renderer_pid" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -f "$fdfile"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$fdfile")"

"$renderer" &
renderer_pid=$!
sleep "$seconds"
shot=$(mktemp --suffix=.png)
import -window root "$shot"
convert "$shot" -resize 152x112! -strip -sampling-factor 1x1 -quality 92 assets/preview.jpg
rm -f "$shot"
identify assets/preview.jpg
