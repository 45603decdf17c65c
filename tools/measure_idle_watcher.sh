#!/usr/bin/env bash
# Measures what the idle watcher costs between events: `orveline --on-idle 3600` on a private Xvfb
# (the X11 source, which asks the server only when the idle time could be up), with no input, for
# SECONDS seconds. Reports the watcher's CPU time (user + system, all its threads, from
# /proc/PID/stat) and its context switches (a wake-up each, from /proc/PID/task/*/status) over
# that time, from one second after its start.
#   tools/measure_idle_watcher.sh [--seconds 600] [--build DIR]    default: build/linux
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=600
build=build/linux
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) seconds=$2; shift ;;
        --build) build=$2; shift ;;
        *) echo "usage: $0 [--seconds N] [--build DIR]" >&2; exit 2 ;;
    esac
    shift
done
dist="$(cd "$build" && pwd)/dist" || exit 1
[ -x "$dist/Orveline.scr" ] || { echo "measure: no $dist/Orveline.scr (build first)" >&2; exit 1; }

source "$root/tests/support/display.sh"
e2e_xvfb -screen 0 1024x768x24 || exit 1
unset DBUS_SESSION_BUS_ADDRESS
export XDG_RUNTIME_DIR="$E2E_TMP/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
e2e_spawn "$dist/Orveline.scr" --on-idle 3600 >"$E2E_TMP/watcher.log" 2>&1
pid=$E2E_LAST_PID
sleep 1
e2e_running "$pid" || { cat "$E2E_TMP/watcher.log"; exit 1; }
ticks=$(getconf CLK_TCK)
# utime + stime of the process (all its threads), in clock ticks.
cpu() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat"; }
switches() {
    cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'
}
cpu0=$(cpu) sw0=$(switches)
sleep "$seconds"
e2e_running "$pid" || { echo "measure: the watcher ended: $(cat "$E2E_TMP/watcher.log")"; exit 1; }
cpu1=$(cpu) sw1=$(switches)
echo "idle watcher over $seconds s without input (X11 source, Xvfb):"
echo "  CPU time: $(((cpu1 - cpu0) * 1000 / ticks)) ms"
echo "  context switches (wake-ups): $((sw1 - sw0))"
