#!/usr/bin/env bash
# Measures what the full-screen run's renderer watch costs the launcher on a desktop crowded with
# windows: on a private Xvfb with openbox, for each count of application windows (of 5 child
# windows each), one run of "Orveline.scr /s" without music, reporting
#   cpu    the launcher's CPU time over SECONDS seconds once the renderer's window is up, in per
#          cent of one core (the watch looks every 50 ms);
#   start  the launcher's CPU time from its start until the renderer's window was up;
#   exit   the launcher's exit after the renderer's exit, on a key press.
# The windows are made by a small X11 probe (x11_measure_watch_cost.cpp, compiled here with g++).
#   tools/measure_watch_cost.sh [--counts "0 100 300"] [--seconds 10] [--build DIR]
#     default: Linux build build/linux
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
counts="0 100 300"
seconds=10
build=build/linux
while [ $# -gt 0 ]; do
    case $1 in
        --counts) counts=$2; shift ;;
        --seconds) seconds=$2; shift ;;
        --build) build=$2; shift ;;
        *) echo "usage: $0 [--counts \"0 100 300\"] [--seconds N] [--build DIR]" >&2; exit 2 ;;
    esac
    shift
done
build=$(cd "$build" && pwd) || exit 1
dist="$build/dist"
for f in Orveline.scr Orveline.dll; do
    [ -f "$dist/$f" ] || { echo "measure: no $dist/$f (build first)" >&2; exit 1; }
done
command -v openbox >/dev/null || { echo "measure: openbox is not installed" >&2; exit 1; }

source "$root/tests/support/display.sh"
work=$E2E_TMP
e2e_xvfb -screen 0 1920x1080x24 || exit 1
wm=""
crowd=""
launcher=""
cleanup() {
    [ -n "$launcher" ] && kill "$launcher" 2>/dev/null
    for pid in $(e2e_tagged_pids 'Orveline\.dll$'); do kill -KILL "$pid" 2>/dev/null; done
    [ -n "$crowd" ] && kill "$crowd" 2>/dev/null
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    return 0
}
e2e_at_exit cleanup
export XDG_CONFIG_HOME="$work/config"

probe="$work/probe"
g++ -O2 -o "$probe" "$root/tools/x11_measure_watch_cost.cpp" -lX11 || exit 1

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

# The renderer of this script's run (it carries our tag in its environment).
# Nanoseconds a process has run on a CPU, all its threads together.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f\n", s}'; }
percent() { awk -v ns="$1" -v s="$2" 'BEGIN {printf "%.2f", ns / (s * 1e9) * 100}'; }

for count in $counts; do
    mkfifo "$work/hold"
    "$probe" --crowd "$count" <"$work/hold" >"$work/crowd.out" &
    crowd=$!
    exec 4>"$work/hold"
    for _ in $(seq 300); do grep -q ready "$work/crowd.out" && break; sleep 0.1; done
    grep -q ready "$work/crowd.out" || { echo "measure: the $count windows were not made" >&2; exit 1; }
    sleep 2  # the window manager frames them

    "$dist/Orveline.scr" /s </dev/null >/dev/null 2>&1 &
    launcher=$!
    e2e_wait_window OrvelineVC 10 >/dev/null ||
        { echo "measure: no renderer window with $count windows" >&2; exit 1; }
    start_ns=$(cpu_ns "$launcher")
    before=$(cpu_ns "$launcher")
    sleep "$seconds"
    after=$(cpu_ns "$launcher")
    renderer=$(e2e_tagged_pids 'Orveline\.dll$' | head -n1)
    [ -n "$renderer" ] || { echo "measure: the renderer ended by itself" >&2; exit 1; }
    "$probe" --exits "$launcher" "$renderer" >"$work/exit.out" &
    exits=$!
    xdotool key space
    wait "$exits"
    wait "$launcher" 2>/dev/null
    launcher=""
    echo "$count windows of 5 children: launcher cpu $(percent $((after - before)) "$seconds") % of a core" \
        "over ${seconds} s; start-up $((start_ns / 1000000)) ms cpu;" \
        "exit $(cat "$work/exit.out") ms after the renderer's"
    exec 4>&-
    wait "$crowd"
    crowd=""
    rm -f "$work/hold" "$work/crowd.out"
done
