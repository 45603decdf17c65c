#!/usr/bin/env bash
# The Linux renderer as it ships, on a private Xvfb: frames per second, the 99th percentile of
# the intervals between its buffer swaps, and its share of a core, over a run of N seconds (the
# first second left out). Usage: tools/measure_renderer_pacing.sh [WxH] [seconds]
# Needs the linux preset built (the renderer and build/linux/tools/liborveline_frame_timer.so).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
size=${1:-640x480} seconds=${2:-10}
ORVELINE_BUILD=${ORVELINE_BUILD:-$root/build/linux}
source "$root/tests/support/display.sh"
renderer="$ORVELINE_BUILD/dist/Orveline.dll"
timer="$ORVELINE_BUILD/tools/liborveline_frame_timer.so"
[ -x "$renderer" ] && [ -f "$timer" ] || fail "build the linux preset first"
e2e_xvfb -screen 0 "${size}x24" || exit 1

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
ORVELINE_FRAME_LOG="$E2E_TMP/frames" LD_PRELOAD="$timer" "$renderer" &
pid=$!
sleep 1
start=$(ticks "$pid")
sleep "$seconds"
used=$(($(ticks "$pid") - start))
kill -TERM "$pid"
wait "$pid"
# Intervals between swaps after the first second, sorted for the percentile.
awk -v skip_ns=1000000000 'NR == 1 { first = $1 }
    $1 - first >= skip_ns && previous { print ($1 - previous) / 1e6 } { previous = $1 }' \
    "$E2E_TMP/frames" | sort -n >"$E2E_TMP/intervals"
awk -v used="$used" -v hz="$(getconf CLK_TCK)" -v seconds="$seconds" -v size="$size" '
    { interval[NR] = $1; total += $1 }
    END {
        printf "renderer at %s: %.1f frames/s, p99 frame interval %.1f ms, %.0f %% of a core\n",
            size, NR * 1000 / total, interval[int(NR * 0.99)], 100 * used / hz / seconds
    }' "$E2E_TMP/intervals"
