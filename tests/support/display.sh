# The one shell library of the end-to-end tests, scripts/test and the tools in tools/: X servers,
# waits, screenshots and process checks. Source it from bash:
#   source "$ORVELINE_SOURCE/tests/support/display.sh"     (or a path relative to the script)
#
# Sourcing it makes a private temporary folder ($E2E_TMP) and sets an EXIT trap that ends every
# process and X server started through it and removes that folder. A script that needs more
# clean-up adds it with e2e_at_exit rather than a trap of its own, which would replace this one.
# A script killed outright (ctest ends one past its timeout with SIGKILL) runs no trap: a watcher
# then ends every process that carries its tag, its X servers, and runs its e2e_at_kill commands.
#
# Reporting
#   fail <message>                  report, keep the screenshots taken so far, exit 1
#   log <message>                   a line with the time of day to the millisecond
#   skip_unless_built <program> <what>
#                                   exit 77 (skipped) when the Linux build's program is missing
#   e2e_keep <file>                 keep a file to look at in <build>/e2e-artifacts/<test>/
#   e2e_at_exit <command>           run the command (eval'd) when the script ends, before the
#                                   library's own clean-up, in the order added
#   e2e_at_kill <command>           run the command (a complete bash command line, no function of
#                                   the script's) when the script is killed outright: the end of
#                                   what carries no tag (an account's processes, a Wine server)
#
# X servers (each sets E2E_DISPLAY to ":N" and E2E_DISPLAY_PID, exports DISPLAY; ended at exit)
#   e2e_xvfb [Xvfb options...]      a private Xvfb on a free display; 1920x1080x24 unless a
#                                   -screen option is given
#   e2e_ensure_display              e2e_xvfb unless DISPLAY is already set
#   e2e_two_monitors                Xorg's dummy driver: one 2048x768 screen, two 1024x768
#                                   monitors side by side, with GLX. Returns 77 when not root
#                                   and 1 on failure, the reason printed: "e2e_two_monitors ||
#                                   exit" skips or fails the test
#   e2e_stop_display <pid>          end one of them now
#
# Waits and time
#   now_ms                          milliseconds since the epoch
#   e2e_wait <seconds> <command...> poll the command every 50 ms until it succeeds
#   e2e_wait_window <title> <seconds>
#                                   print the id of the first window with exactly that title
#   e2e_window_gone <title>         no window has exactly that title
#   e2e_wait_gone <title> <seconds> wait for that
#   e2e_gap_after_window <title> <pid> <seconds>
#                                   wait for the window to go, then for the process to end; print
#                                   the milliseconds between the two (fails after the seconds)
#
# Processes
#   e2e_spawn <command...>          start it in the background (pid in E2E_LAST_PID), ended at exit
#   e2e_running <pid>               the process exists and is not a zombie
#   e2e_wait_exit <pid> <seconds>   wait for a child; its exit code in E2E_RC (call directly,
#                                   not in $(...))
#   e2e_live_pids <pgrep -f pattern>
#                                   pids of matching processes that are not zombies
#   e2e_tagged_pids [pgrep -f pattern]
#                                   pids of live processes whose environment holds this run's
#                                   ORVELINE_TEST_TAG (children of our programs included)
#
# Files
#   e2e_make_mp3 <file.mp3>         two seconds of noise as an MP3 (music for a run)
#   e2e_music_settings <dir>        settings and environment of a run that plays <dir>/tone.mp3
#   e2e_file_size <file>            its size in bytes, 0 when it does not exist
#   e2e_growth <file> <seconds>     bytes it grows by over that time (music written to a file)
#
# Pictures
#   e2e_screenshot <file.png> [window id]
#                                   the root window (or one window) of $DISPLAY as PNG
#   e2e_shot <name>                 screenshot into $E2E_TMP/<name>.png; prints the path
#   e2e_fraction <png> <im-args...> mean of the image after the given operators (0..1)
#   e2e_differing_pixels <a> <b>    how many pixels differ
#   e2e_float_ge <a> <b>            a >= b for decimal numbers
#
# Windows' configure events, seen by another client
#   e2e_configure_probe             print the path of x11_configure_probe ("count <window>
#                                   <seconds>", "forge <window> <w> <h>"): the Linux build's, or
#                                   one compiled for this run (a Windows build tree has none)

# Once per script: a helper library that sources this file too (tests/wine/lib.sh) must not forget
# the servers and processes started before, which would then be left running.
[ "${_E2E_SOURCED_BY:-}" = "$$" ] && return 0
_E2E_SOURCED_BY=$$

E2E_NAME=$(basename "$0" .sh)
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/orveline-$E2E_NAME.XXXXXX")
E2E_PIDS=()
E2E_SERVERS=()
E2E_AT_EXIT=()
# Marks every process a test starts, their children included, so that clean-up and the
# "nothing of ours is left" checks find them without touching anyone else's.
export ORVELINE_TEST_TAG="orveline-test-$$"
# The whole run's (scripts/test's), kept by every test under it, servers included: what is left
# with it at the end was left by the suite.
export ORVELINE_SUITE_TAG=${ORVELINE_SUITE_TAG:-$ORVELINE_TEST_TAG}

e2e_at_exit() { E2E_AT_EXIT+=("$1"); }

e2e_at_kill() { echo "$1" >>"$E2E_TMP/.at-kill"; }

# The watcher carries no tag, and its command line names nothing a test looks for.
env -u ORVELINE_TEST_TAG -u ORVELINE_SUITE_TAG E2E_OWNER=$$ E2E_SWEEP="$ORVELINE_TEST_TAG" E2E_WATCHED="$E2E_TMP" bash -c '
    while kill -0 "$E2E_OWNER" 2>/dev/null; do sleep 0.5; done
    swept() { grep -lsxzE "ORVELINE_TEST_(TAG|SERVER)=$E2E_SWEEP" /proc/[0-9]*/environ | cut -d/ -f3; }
    for signal in TERM KILL; do
        pids=$(swept)
        [ -n "$pids" ] && kill -"$signal" $pids 2>/dev/null && sleep 1
    done
    if [ -d "$E2E_WATCHED" ]; then
        [ -f "$E2E_WATCHED/.at-kill" ] && bash "$E2E_WATCHED/.at-kill"
        rm -rf "$E2E_WATCHED"
    fi' </dev/null >/dev/null 2>&1 &

e2e_cleanup() {
    local i pid
    for i in "${E2E_AT_EXIT[@]}"; do eval "$i"; done
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || :; done
    # One that ignores SIGTERM must not hold the clean-up (and the X servers) until the timeout.
    for pid in "${E2E_PIDS[@]}"; do
        e2e_wait 2 _e2e_ended "$pid" || kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null || :
    done
    for pid in "${E2E_SERVERS[@]}"; do e2e_stop_display "$pid"; done
    rm -rf "$E2E_TMP"
    return 0
}
trap e2e_cleanup EXIT

_e2e_ended() { ! e2e_running "$1"; }

fail() {
    echo "FAIL ($E2E_NAME): $*" >&2
    if compgen -G "$E2E_TMP/*.png" >/dev/null; then
        local f
        for f in "$E2E_TMP"/*.png; do e2e_keep "$f"; done
        echo "screenshots kept in ${ORVELINE_BUILD:-/tmp}/e2e-artifacts/$E2E_NAME" >&2
    fi
    exit 1
}

log() { echo "[$(date +%T.%N | cut -c1-12)] $*"; }

now_ms() { date +%s%3N; }

skip_unless_built() {
    if [ ! -x "$1" ]; then
        echo "SKIP: no Linux $2 at $1 (build the linux preset first)"
        exit 77
    fi
}

e2e_keep() {
    local keep=${ORVELINE_BUILD:-/tmp}/e2e-artifacts/$E2E_NAME
    mkdir -p "$keep" && cp "$1" "$keep"/
}

e2e_ms() { awk -v s="$1" 'BEGIN { printf "%d", s * 1000 }'; }

e2e_wait() {
    local deadline=$(($(now_ms) + $(e2e_ms "$1")))
    shift
    until "$@"; do
        [ "$(now_ms)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# _e2e_start_server <fd file> <seconds> <command...>: starts an X server that writes its display
# number to fd 3 once it accepts clients; sets E2E_DISPLAY and E2E_DISPLAY_PID.
_e2e_start_server() {
    local fdfile=$1 seconds=$2
    shift 2
    : >"$fdfile"
    # Without the tag: a server is no process of the test's to be swept up with them, but the
    # watcher's, should the test be killed.
    env -u ORVELINE_TEST_TAG ORVELINE_TEST_SERVER="$ORVELINE_TEST_TAG" "$@" 3>"$fdfile" \
        </dev/null >/dev/null 2>&1 &
    local pid=$!
    local deadline=$(($(now_ms) + seconds * 1000))
    while [ ! -s "$fdfile" ]; do
        if ! kill -0 "$pid" 2>/dev/null || [ "$(now_ms)" -ge "$deadline" ]; then
            kill "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
            return 1
        fi
        sleep 0.05
    done
    E2E_DISPLAY=":$(head -n1 "$fdfile")"
    E2E_DISPLAY_PID=$pid
    E2E_SERVERS+=("$pid")
}

# -noreset: by default a server resets when its last client leaves, and a client starting just
# then fails. Retries: two servers starting at once can race for the same free display number.
e2e_xvfb() {
    local args=("$@") try
    [[ " ${args[*]} " == *" -screen "* ]] || args=(-screen 0 1920x1080x24 "${args[@]}")
    for try in 1 2 3; do
        if _e2e_start_server "$E2E_TMP/xvfb.fd" 10 \
            Xvfb -displayfd 3 "${args[@]}" -nolisten tcp -noreset; then
            export DISPLAY=$E2E_DISPLAY
            return 0
        fi
        sleep "0.$try"
    done
    echo "could not start Xvfb ${args[*]}" >&2
    return 1
}

e2e_ensure_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    e2e_xvfb || fail "could not start Xvfb"
}

# Two monitors side by side on one X screen, which Xvfb cannot give: Xorg with the dummy driver
# and the configuration beside this file (RandR outputs DUMMY0 at 0,0 and DUMMY1 at 1024,0, the
# same two Xinerama heads, GLX on llvmpipe). Xorg reads a configuration from an arbitrary path
# only when run as root; elsewhere this returns 77, so that "e2e_two_monitors || exit" skips the
# test. Returns 1 when the server does not come up with both monitors and GLX (its log is then
# printed). A screenshot of the root window holds both monitors; "convert shot.png -crop
# 1024x768+1024+0 +repage right.png" cuts out the second. Layouts can change afterwards with
# xrandr (--output DUMMY1 --off, --auto --right-of DUMMY0); Wine reads its monitor list when its
# desktop process starts, so restart the wineserver after such a change.
e2e_two_monitors() {
    local conf
    conf="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/xorg-two-monitors.conf"
    if [ "$(id -u)" -ne 0 ]; then
        echo "SKIP: the two-monitor X server (Xorg, dummy driver) runs only as root"
        return 77
    fi
    local xorg=/usr/lib/xorg/Xorg
    if [ ! -x "$xorg" ] || [ ! -e /usr/lib/xorg/modules/drivers/dummy_drv.so ]; then
        echo "no Xorg with the dummy driver (scripts/setup installs xserver-xorg-video-dummy)" >&2
        return 1
    fi
    local try log
    for try in 1 2 3; do
        log="$E2E_TMP/xorg-$try.log"
        if _e2e_start_server "$E2E_TMP/xorg.fd" 20 "$xorg" -displayfd 3 -config "$conf" \
            -logfile "$log" -noreset -nolisten tcp +extension GLX; then
            if e2e_wait 10 _e2e_two_monitors_ready; then
                export DISPLAY=$E2E_DISPLAY
                return 0
            fi
            e2e_stop_display "$E2E_DISPLAY_PID"
        fi
        sleep "0.$try"
    done
    echo "could not start Xorg with two monitors; its log:" >&2
    tail -n 30 "$log" >&2 2>/dev/null
    return 1
}

_e2e_two_monitors_ready() {
    local info
    info=$(xdpyinfo -display "$E2E_DISPLAY" -ext XINERAMA 2>/dev/null) &&
        [ "$(grep -c 'head #' <<<"$info")" -eq 2 ] && grep -q GLX <<<"$info"
}

e2e_stop_display() {
    local pid=$1 i kept=()
    for i in "${E2E_SERVERS[@]}"; do [ "$i" = "$pid" ] || kept+=("$i"); done
    E2E_SERVERS=("${kept[@]}")
    kill "$pid" 2>/dev/null || return 0
    # Let it remove its lock file and socket, so that the number is free again at once.
    for ((i = 0; i < 40; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -KILL "$pid" 2>/dev/null || :
    wait "$pid" 2>/dev/null || :
    return 0
}

e2e_wait_window() {
    local deadline=$(($(now_ms) + $(e2e_ms "$2"))) id
    while :; do
        id=$(xdotool search --name "^${1}\$" 2>/dev/null | head -n1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        [ "$(now_ms)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

e2e_window_gone() { [ -z "$(xdotool search --name "^${1}\$" 2>/dev/null)" ]; }

e2e_wait_gone() { e2e_wait "$2" e2e_window_gone "$1"; }

e2e_gap_after_window() {
    local deadline=$(($(now_ms) + $(e2e_ms "$3"))) gone
    until e2e_window_gone "$1"; do
        [ "$(now_ms)" -ge "$deadline" ] && fail "the window $1 did not go within $3 s"
        sleep 0.01
    done
    gone=$(now_ms)
    deadline=$((gone + $(e2e_ms "$3")))
    while e2e_running "$2"; do
        [ "$(now_ms)" -ge "$deadline" ] && fail "pid $2 outlived the window $1 by $3 s"
        sleep 0.005
    done
    echo $(($(now_ms) - gone))
}

e2e_spawn() {
    "$@" &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}

e2e_running() {
    kill -0 "$1" 2>/dev/null && [ "$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null)" != Z ]
}

e2e_wait_exit() {
    local pid=$1
    local deadline=$(($(now_ms) + $(e2e_ms "$2")))
    while e2e_running "$pid"; do
        [ "$(now_ms)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
    wait "$pid"
    E2E_RC=$?
}

# NOTE: processes whose parent has ended go to this machine's first process, which may not reap
# them; an ended program can stay a zombie, and zombies are not "left running".
# Not this script nor one of its subshells, which carry its tag and command line.
_e2e_other() { ! cmp -s "/proc/$1/cmdline" "/proc/$$/cmdline"; }

e2e_live_pids() {
    local pid
    for pid in $(pgrep -f "$1"); do
        _e2e_other "$pid" && e2e_running "$pid" && echo "$pid"
    done
    return 0
}

# One grep over every process's environment: a process of its own per process on a busy machine
# took a minute.
e2e_tagged_pids() {
    local pid
    local -A matching=()
    if [ $# -gt 0 ]; then
        for pid in $(pgrep -f "$1"); do matching[$pid]=1; done
    fi
    for pid in $(grep -lsxz "ORVELINE_TEST_TAG=$ORVELINE_TEST_TAG" /proc/[0-9]*/environ | cut -d/ -f3); do
        [ $# -eq 0 ] || [ -n "${matching[$pid]:-}" ] || continue
        _e2e_other "$pid" && e2e_running "$pid" && echo "$pid"
    done
    return 0
}

e2e_make_mp3() {
    head -c 352800 /dev/urandom >"$E2E_TMP/noise.raw"
    lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s -b 128 \
        "$E2E_TMP/noise.raw" "$1" 2>/dev/null || fail "cannot make the MP3 $1"
}

# e2e_music_settings <dir>: the environment of a run that plays <dir>/tone.mp3: its own settings
# file (music from that file) and runtime folder under <dir>, and SDL's audio written to a file.
e2e_music_settings() {
    e2e_make_mp3 "$1/tone.mp3"
    export XDG_CONFIG_HOME="$1/config" XDG_RUNTIME_DIR="$1/run" SDL_AUDIODRIVER=disk
    mkdir -p "$XDG_CONFIG_HOME/orveline" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' "$1/tone.mp3" \
        >"$XDG_CONFIG_HOME/orveline/Orveline.ini"
}

e2e_file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }

e2e_growth() {
    local before
    before=$(e2e_file_size "$1")
    sleep "$2"
    echo $(($(e2e_file_size "$1") - before))
}

# import can fail while the server is busy (a client grabbing it, a mode change): retry.
e2e_screenshot() {
    local file=$1 window=${2:-root} try
    for try in 1 2 3; do
        rm -f "$file"
        timeout 20 import -display "$DISPLAY" -window "$window" "$file" 2>/dev/null &&
            [ -s "$file" ] && return 0
        sleep 0.2
    done
    echo "screenshot of $window on $DISPLAY failed" >&2
    return 1
}

e2e_shot() {
    local file="$E2E_TMP/$1.png"
    e2e_screenshot "$file" || fail "screenshot failed"
    echo "$file"
}

e2e_fraction() {
    local file=$1
    shift
    convert "$file" "$@" -format '%[fx:mean]' info: 2>/dev/null
}

e2e_differing_pixels() {
    compare -metric AE "$1" "$2" null: 2>&1 | sed 's/ .*//' | awk '{ printf "%d", $1 }'
}

e2e_float_ge() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

e2e_configure_probe() {
    local built=${ORVELINE_BUILD:-}/tests/renderer/x11_configure_probe
    [ -x "$built" ] && { echo "$built"; return 0; }
    built="$E2E_TMP/x11_configure_probe"
    [ -x "$built" ] ||
        c++ -O1 -o "$built" "$ORVELINE_SOURCE/tests/renderer/x11_configure_probe.cpp" -lX11 >&2 ||
        return 1
    echo "$built"
}
