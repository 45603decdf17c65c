#!/usr/bin/env bash
# Measures what a full-screen run's renderer costs the processor: on a private Xvfb, the renderer
# of a build runs for SECONDS seconds once its window is up, and its CPU time (utime + stime of
# the process and its children, from /proc) is reported in per cent of one core. For a Windows
# build the renderer runs under Wine in a prefix of this tool's own in the build tree, whose server
# starts afresh on the private Xvfb (a prefix whose desktop process lives on another display, or a
# gone one, makes every frame dearer), and that server's share is reported beside it, since every
# message and window call costs time there too; the X server's share is reported for both. With Mesa's gallium drivers (llvmpipe on Xvfb) the mean frames per
# second over the same time come from its HUD, dumped to a file and not drawn, and with them the
# renderer's CPU time per frame, which depends less than its share on what else the machine runs.
#   tools/measure_renderer_cpu.sh [--build DIR] [--seconds 10] [--size 640x480]
#     default: the Windows build this machine runs (build/win64 or build/win32, see
#     scripts/windows-build)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=10
size=640x480
build=""
while [ $# -gt 0 ]; do
    case $1 in
        --build) build=$2; shift ;;
        --seconds) seconds=$2; shift ;;
        --size) size=$2; shift ;;
        *) echo "usage: $0 [--build DIR] [--seconds N] [--size WxH]" >&2; exit 2 ;;
    esac
    shift
done
[ -n "$build" ] || build=build/$(scripts/windows-build | head -n1) || exit 1
build=$(cd "$build" && pwd) || exit 1
dist="$build/dist"
windows=false
grep -q '^ORVELINE_WINE_ARCH:INTERNAL=' "$build/CMakeCache.txt" 2>/dev/null && windows=true
if $windows; then
    renderer=("$root/tests/wine/wine-run" "$dist/Orveline.dll")
else
    renderer=("$dist/Orveline.dll")
fi
[ -f "$dist/Orveline.dll" ] || { echo "measure: no $dist/Orveline.dll (build first)" >&2; exit 1; }

source "$root/tests/support/display.sh"
work=$E2E_TMP
e2e_xvfb -screen 0 "${size}x24" || exit 1
export ORVELINE_BUILD=$build
export ORVELINE_WINEPREFIX=$build/wineprefix-measure
stop_wine() { $windows && WINEPREFIX=$ORVELINE_WINEPREFIX wineserver -k 2>/dev/null; }
started=""
cleanup() {
    [ -n "$started" ] && kill "$started" 2>/dev/null
    for pid in $(run_pids); do kill -KILL "$pid" 2>/dev/null; done
    stop_wine
    return 0
}
e2e_at_exit cleanup

# The processes of this run: the renderer and what it started, but not the prefix's own services
# (shared with every other program of the prefix).
run_pids() {
    local pid
    for pid in $(e2e_tagged_pids); do
        grep -qaiE 'wineserver|windows.system32' "/proc/$pid/cmdline" 2>/dev/null || echo "$pid"
    done
}
# The wine server of the prefix: it runs in a folder named after the prefix's device and inode.
wine_server_pid() {
    local id pid
    id=$(printf 'server-%x-%x' $(stat -c '%d %i' "$ORVELINE_WINEPREFIX"))
    for pid in $(pgrep -f wineserver); do
        [[ $(readlink "/proc/$pid/cwd") == */"$id" ]] && echo "$pid" && return
    done
}
# Clock ticks of CPU time of the given processes, all their threads, living ones only.
ticks() {
    local pid sum=0 t
    for pid in "$@"; do
        # The command name in parentheses may hold spaces: count fields after it.
        t=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | awk '{print $12 + $13}')
        sum=$((sum + ${t:-0}))
    done
    echo "$sum"
}
percent() { awk -v t="$1" -v hz="$(getconf CLK_TCK)" -v s="$2" 'BEGIN {printf "%.0f", t / hz / s * 100}'; }

stop_wine && WINEPREFIX=$ORVELINE_WINEPREFIX wineserver -w
$windows && { "$root/tests/wine/wine-run" --prepare || exit 1; }
mkdir "$work/hud"
GALLIUM_HUD=fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_DUMP_DIR="$work/hud" \
    "${renderer[@]}" </dev/null >/dev/null 2>&1 &
started=$!
e2e_wait_window OrvelineVC 30 >/dev/null ||
    { echo "measure: no renderer window within 30 s" >&2; exit 1; }
sleep 1  # past the set-up
mapfile -t pids < <(run_pids)
server=$($windows && wine_server_pid)
hud_lines() { cat "$work/hud/fps" 2>/dev/null | wc -l; }
r0=$(ticks "${pids[@]}")
w0=$(ticks $server)
x0=$(ticks "$E2E_DISPLAY_PID")
f0=$(hud_lines)
sleep "$seconds"
r1=$(ticks "${pids[@]}")
w1=$(ticks $server)
x1=$(ticks "$E2E_DISPLAY_PID")
f1=$(hud_lines)
e2e_window_gone OrvelineVC && { echo "measure: the renderer ended by itself" >&2; exit 1; }
xdotool key space
for _ in $(seq 100); do kill -0 "$started" 2>/dev/null || break; sleep 0.1; done

line="renderer $(percent $((r1 - r0)) "$seconds") % of a core"
$windows && line+=", wine server $(percent $((w1 - w0)) "$seconds") %"
line+=", X server $(percent $((x1 - x0)) "$seconds") %"
if [ "$f1" -gt "$f0" ]; then
    fps=$(sed -n "$((f0 + 1)),${f1}p" "$work/hud/fps" | awk '{s += $NF} END {print s / NR}')
    line+=$(awk -v fps="$fps" -v t=$((r1 - r0)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
        'BEGIN {printf ", %.0f frames/s, %.1f ms of CPU per frame", fps, t / hz / (fps * s) * 1000}')
fi
echo "$line; ${size}, ${seconds} s, $(basename "$build")"
