#!/usr/bin/env bash
# Picture of every face of the push button: shows them in one window, takes a screenshot and
# checks frame colours, gradient ends and the background at chosen pixels.
#   button_faces.sh <faces program> <linux|win32>
set -u
program=$1
platform=$2
here=$(cd "$(dirname "$0")" && pwd)
artifacts="$ORVELINE_BUILD/test-artifacts/button"
mkdir -p "$artifacts"
title='Veyra.Command faces'

if [ "$platform" = win32 ]; then
    source "$ORVELINE_SOURCE/tests/wine/lib.sh"
    win_start faces "$program"
else
    "$program" >"$artifacts/faces.out" 2>&1 &
    faces_pid=$!
    trap 'kill $faces_pid 2>/dev/null; wait $faces_pid 2>/dev/null' EXIT
fi

window=""
for ((i = 0; i < 300; i++)); do
    window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no window '$title'" >&2; exit 1; }
sleep 1  # let the faces be painted
# The pointer stays away from the buttons.
xdotool mousemove 0 0
picture="$artifacts/faces-$platform.png"
import -window "$window" "$picture" || { echo "FAIL: no screenshot" >&2; exit 1; }
python3 "$here/pixel_probe.py" "$picture" "$here/faces.probes" || {
    echo "FAIL: faces differ at the pixels above; picture: $picture" >&2
    exit 1
}
echo "faces checked: $picture"
