# Helpers for end-to-end tests of the Windows programs under Wine, on top of the shared library
# (tests/support/display.sh: fail, log, waits, screenshots). Source it from a test script:
#   source "$ORVELINE_SOURCE/tests/wine/lib.sh"
# It needs ORVELINE_DIST, ORVELINE_SOURCE, ORVELINE_BUILD (ctest sets them) and DISPLAY.
#
#   win_start <name> <program.exe> [args...]   start a program under Wine in the background
#   win_wait_exit <name> <seconds>             wait for it; WIN_EXIT holds its exit code
#   win_tool <args...>                         run wintool.exe (FindWindowA, rectangles, ...)
#   win_wait_window <title> <seconds>          wait until a window with the title exists (X side)
#   win_wait_gone <title> <seconds>            wait until no window has that title (X side)
#   win_xid <title>                            the X window of a Wine window, by exact title
#   win_geometry <title>                       "x y width height" of that X window
#   win_screenshot <file> [title]              the screen (or one window) as PNG
#   win_key <key> [title] / win_click [title]  real input through XTEST
# Every process started with win_start, and every Wine process of this test, is ended when the
# test script exits.

set -u

: "${ORVELINE_DIST:?}" "${ORVELINE_SOURCE:?}" "${ORVELINE_BUILD:?}" "${DISPLAY:?}"
export ORVELINE_BUILD DISPLAY
source "$ORVELINE_SOURCE/tests/support/display.sh"

WIN_RUN="$ORVELINE_SOURCE/tests/wine/wine-run"
# win32 or win64: the build under test, and so the Wine that runs it.
WIN_ARCH=$("$WIN_RUN" --arch)
WIN_TOOL="$ORVELINE_BUILD/tests/wine/wintool.exe"
WIN_ARTIFACTS="$ORVELINE_BUILD/test-artifacts"
mkdir -p "$WIN_ARTIFACTS"

declare -A WIN_PIDS=()
declare -A WIN_OUT=()
WIN_EXIT=""

win_start() {  # win_start <name> <program> [args...]; output goes to $WIN_ARTIFACTS/<name>.out
    local name=$1
    shift
    local out="$WIN_ARTIFACTS/${name}.out"
    "$WIN_RUN" "$@" </dev/null >"$out" 2>&1 &
    WIN_PIDS[$name]=$!
    WIN_OUT[$name]=$out
}

win_output() { cat "${WIN_OUT[$1]}"; }

win_wait_exit() {  # win_wait_exit <name> <seconds>: 0 when it exited in time (code in WIN_EXIT)
    local name=$1 seconds=$2 pid=${WIN_PIDS[$1]} i
    for ((i = 0; i < seconds * 10; i++)); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            WIN_EXIT=$?
            unset "WIN_PIDS[$name]"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

win_tool() {  # its output without the console's carriage returns; its exit code
    local out rc
    out=$("$WIN_RUN" "$WIN_TOOL" "$@" </dev/null)
    rc=$?
    out=${out//$'\r'/}
    [ -n "$out" ] && printf '%s\n' "$out"
    return $rc
}

win_xid() {  # the first X window whose title is exactly $1
    xdotool search --name "^$1\$" 2>/dev/null | head -n1
}

win_wait_window() { e2e_wait_window "$1" "$2" >/dev/null; }

win_wait_gone() { e2e_wait_gone "$1" "$2"; }

win_geometry() {  # prints "x y width height" of the X window titled $1
    local id
    id=$(win_xid "$1")
    [ -n "$id" ] || return 1
    xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

win_screen_size() {  # the X screen's "width height"
    xdpyinfo 2>/dev/null | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]; exit}'
}

win_screenshot() {  # win_screenshot <file.png> [title]
    if [ $# -ge 2 ]; then
        e2e_screenshot "$1" "$(win_xid "$2")"
    else
        e2e_screenshot "$1"
    fi
}

win_focus() {  # give the X input focus to the window titled $1
    local id
    id=$(win_xid "$1")
    [ -n "$id" ] && timeout 5 xdotool windowfocus --sync "$id" 2>/dev/null
    return 0
}

win_key() {  # win_key <key> [title]: a real key press and release (xdotool key names)
    [ $# -ge 2 ] && win_focus "$2"
    xdotool key "$1"
}

win_click() {  # win_click [title]: a left click at the pointer's place
    [ $# -ge 1 ] && win_focus "$1"
    xdotool click 1
}

# The pids of running Wine processes that carry this test's tag (children of our programs too).
win_tagged_pids() {
    local pid
    for pid in $(e2e_tagged_pids); do
        # The prefix's own server and services are shared with other tests: never ours to end.
        grep -qaiE 'wineserver|windows.system32' "/proc/$pid/cmdline" 2>/dev/null || echo "$pid"
    done
}

win_cleanup() {
    local pid name
    for name in "${!WIN_PIDS[@]}"; do
        kill "${WIN_PIDS[$name]}" 2>/dev/null
    done
    for pid in $(win_tagged_pids); do
        kill "$pid" 2>/dev/null
    done
    sleep 0.2
    for pid in $(win_tagged_pids); do
        kill -9 "$pid" 2>/dev/null
    done
    return 0
}
e2e_at_exit win_cleanup

# win_picture_stats <file.png>: prints "<black share in %> <coloured pixels>" of a screenshot.
# Black: every channel below 16. Coloured: brightest channel at least 48 and the channels apart by
# at least 32, so grey and white (a frozen or blank screen) do not count.
win_picture_stats() {
    convert "$1" -depth 8 rgb:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
total = len(data) // 3
black = coloured = 0
for i in range(0, total * 3, 3):
    r, g, b = data[i], data[i + 1], data[i + 2]
    hi, lo = max(r, g, b), min(r, g, b)
    if hi < 16:
        black += 1
    elif hi >= 48 and hi - lo >= 32:
        coloured += 1
print(100 * black // max(total, 1), coloured)
'
}
