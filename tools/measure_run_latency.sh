#!/usr/bin/env bash
# Measures the full-screen run's two latencies, on a private Xvfb with a black root window:
#   start  from starting "Orveline.scr /s" to the renderer's first frame on screen (the first
#          screen content that is no longer all black);
#   exit   from the renderer's process exit to the launcher's process exit, after a key press
#          (also from the renderer's window going to the launcher's exit).
# No music is set (a fresh settings folder, or a copy of the programs without a settings file).
# Prints every run and the medians. The first frame is spotted by a small X11 probe
# (x11_measure_run_latency.cpp, compiled here on the fly with g++) that starts the launcher itself.
#   tools/measure_run_latency.sh [--windows] [--runs N] [--build DIR]
#     default: Linux build build/linux (with --windows, the Windows build this machine runs
#     under Wine: build/win32 or build/win64), 7 runs
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
windows=0
runs=7
build=""
while [ $# -gt 0 ]; do
    case $1 in
        --windows) windows=1 ;;
        --runs) runs=$2; shift ;;
        --build) build=$2; shift ;;
        *) echo "usage: $0 [--windows] [--runs N] [--build DIR]" >&2; exit 2 ;;
    esac
    shift
done
if [ -z "$build" ]; then
    build=build/linux
    [ $windows = 1 ] && { build=build/$(bash scripts/windows-build | head -n1) || exit 1; }
fi
build=$(cd "$build" && pwd) || exit 1
dist="$build/dist"
for f in Orveline.scr Orveline.dll; do
    [ -f "$dist/$f" ] || { echo "measure: no $dist/$f (build first)" >&2; exit 1; }
done

source "$root/tests/support/display.sh"
work=$E2E_TMP
e2e_xvfb -br -screen 0 1024x768x24 || exit 1
launcher=""
cleanup() {
    [ -n "$launcher" ] && kill "$launcher" 2>/dev/null
    for pid in $(e2e_tagged_pids 'Orveline\.dll$'); do kill -KILL "$pid" 2>/dev/null; done
    return 0
}
e2e_at_exit cleanup

probe="$work/probe"
g++ -O2 -o "$probe" "$root/tools/x11_measure_run_latency.cpp" -lX11 || exit 1
if [ $windows = 1 ]; then
    cp "$dist/Orveline.scr" "$dist/Orveline.dll" "$work/"
    export ORVELINE_BUILD=$build
    "$root/tests/wine/wine-run" --prepare || exit 1
    launcher_command=("$root/tests/wine/wine-run" "$work/Orveline.scr" /s)
else
    export XDG_CONFIG_HOME="$work/config"
    launcher_command=("$dist/Orveline.scr" /s)
fi

# The renderer's processes of this script (Wine's carry our tag).
median() { sort -n | awk '{a[NR] = $1} END {if (NR % 2) print a[(NR + 1) / 2]; else print int((a[NR / 2] + a[NR / 2 + 1]) / 2)}'; }

starts=()
exits=()
window_exits=()
for ((run = 1; run <= runs; run++)); do
    start_ms=$("$probe" "$work/pid" "${launcher_command[@]}" </dev/null 2>/dev/null)
    launcher=$(cat "$work/pid")
    [ -n "$start_ms" ] || { echo "run $run: no frame within 60 s" >&2; exit 1; }
    e2e_wait_window OrvelineVC 5 >/dev/null
    sleep 1.5
    pids=$(e2e_tagged_pids 'Orveline\.dll$')
    [ -n "$pids" ] || { echo "run $run: no renderer process" >&2; exit 1; }
    xdotool key space
    read -r exit_ms window_ms <<<"$("$probe" --exits "$launcher" $pids)"
    [ -n "${window_ms:-}" ] || { echo "run $run: no end within 60 s" >&2; exit 1; }
    launcher=""
    echo "run $run: first frame after $start_ms ms; launcher exit $exit_ms ms after the renderer's exit, $window_ms ms after its window"
    starts+=("$start_ms")
    exits+=("$exit_ms")
    window_exits+=("$window_ms")
    sleep 0.5
done
platform=$([ $windows = 1 ] && echo "Windows build under Wine" || echo "Linux")
echo "$platform, $runs runs: median first frame $(printf '%s\n' "${starts[@]}" | median) ms;" \
    "median launcher exit $(printf '%s\n' "${exits[@]}" | median) ms after the renderer's exit" \
    "($(printf '%s\n' "${window_exits[@]}" | median) ms after its window)"
