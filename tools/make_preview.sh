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

source tests/support/display.sh
e2e_xvfb -screen 0 $((152 * scale))x$((112 * scale))x24

e2e_spawn "$renderer"
sleep "$seconds"
shot=$(e2e_shot preview)
convert "$shot" -resize 152x112! -strip -sampling-factor 1x1 -quality 92 assets/preview.jpg
identify assets/preview.jpg
