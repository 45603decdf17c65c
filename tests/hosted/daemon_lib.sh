# What the tests of Orveline under real screen-saver daemons share (sourced after
# tests/support/display.sh): the Debian package unpacked with dpkg -x, an account of its own for
# the daemon, that account's home, and an Xvfb it may connect to.
#   daemon_setup                  all of that; $work, $pkg, $home, $user; skips unless root
#   as_user <command...>          run as the account, with the display and the package on PATH,
#                                 and no session bus, as for a daemon started outside a desktop
#   daemon_own=<regex>            the names of the daemon's own processes (ps comm)
#   ours                          every live process of the account that is not the daemon's own:
#                                 ours, and whatever ours started (a session bus included)
#   renderer_starts <seconds>     a renderer of ours runs within that time
#   shows_moving_picture <what>   the screen is no longer black within 10 s, and changes; fails
#                                 otherwise
#   nothing_left_within <ms> <what>
#                                 no process of ours is left within that time; fails otherwise

daemon_setup() {
    : "${ORVELINE_BUILD:?}"
    # NOTE: the daemons never start savers as root (or refuse to run as root), so they run as an
    # account of their own, which only root can make.
    if [ "$(id -u)" -ne 0 ]; then
        echo "SKIP: the daemon's account can only be made as root"
        exit 77
    fi
    local deb
    deb=$(ls "$ORVELINE_BUILD"/orveline_*_amd64.deb 2>/dev/null | head -n1)
    [ -n "$deb" ] || fail "no package in $ORVELINE_BUILD (the package test makes it)"
    user=orveline-saver
    id "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user" || fail "cannot add $user"
    e2e_at_exit 'pkill -KILL -u "$user"'
    e2e_at_kill "pkill -KILL -u $user"
    work=$E2E_TMP
    chmod 755 "$work"
    pkg="$work/pkg"
    dpkg -x "$deb" "$pkg" || fail "cannot unpack $deb"
    home="$work/home"
    mkdir -p "$home/.config/orveline" "$home/run"
    chmod 700 "$home/run"
    # -ac: the account's clients may connect without the server's cookie.
    e2e_xvfb -screen 0 1280x720x24 -ac || fail "cannot start Xvfb"
}

as_user() {
    runuser -u "$user" -- env -u DBUS_SESSION_BUS_ADDRESS DISPLAY="$DISPLAY" HOME="$home" XDG_RUNTIME_DIR="$home/run" \
        PATH="$pkg/usr/bin:/usr/bin:/bin" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$home/audio.raw" \
        "$@"
}

daemon_own='^$'
ours() {
    local pid
    for pid in $(pgrep -u "$user"); do
        e2e_running "$pid" && ! grep -qE "$daemon_own" "/proc/$pid/comm" 2>/dev/null && echo "$pid"
    done
    return 0
}

renderer_starts() { e2e_wait "$1" _renderer_runs; }
_renderer_runs() { [ -n "$(e2e_live_pids "^$pkg/usr/lib/orveline/Orveline.dll")" ]; }

shows_moving_picture() {
    local first second mean="" i name=${1//[^A-Za-z0-9]/_}
    for ((i = 0; i < 20; i++)); do
        sleep 0.5
        first=$(e2e_shot "$name-1")
        mean=$(e2e_fraction "$first")
        e2e_float_ge "$mean" 0.002 && break
    done
    e2e_float_ge "$mean" 0.002 || fail "$1: the screen stays black (mean $mean)"
    sleep 0.5
    second=$(e2e_shot "$name-2")
    [ "$(e2e_differing_pixels "$first" "$second")" -gt 0 ] || fail "$1: the picture does not change"
    log "$1: screen mean $mean, $(ours | wc -l) processes of ours"
}

nothing_left_within() {
    local start
    start=$(now_ms)
    e2e_wait "$(awk -v ms="$1" 'BEGIN { print ms / 1000 }')" _nothing_of_ours ||
        fail "$2: processes of ours $1 ms later: $(ours | xargs -r ps -o pid=,args= -p)"
    log "$2: no process of ours after $(($(now_ms) - start)) ms"
}

_nothing_of_ours() { [ -z "$(ours)" ]; }
