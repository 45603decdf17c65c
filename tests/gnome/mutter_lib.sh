# A headless GNOME session for end-to-end tests: mutter with Xwayland and two virtual monitors, on
# a session bus of its own, run by an account of the tests' own. Source it after
# tests/support/display.sh:
#
#   gnome_start [--verbose]         start the session (mutter's log in $GNOME_LOG; --verbose adds
#                                   its focus log); returns 77 (skip) without root or mutter, 1
#                                   when the session does not come up (the reason printed):
#                                   "gnome_start || exit". Ended at exit, also on failure.
#   gnome_run <command...>          run a command in the session as its user: the session's
#                                   DISPLAY, XAUTHORITY, WAYLAND_DISPLAY and bus, HOME and
#                                   XDG_RUNTIME_DIR, and the test's tag; its exit code returned
#   gnome_spawn <command...>        the same in the background; pid in GNOME_LAST_PID (that of
#                                   runuser, which ends with the command)
#   gnome_key <evdev code>          press and release a key (57 space, 1 Esc, 30 a)
#   gnome_move <dx> <dy>            a relative pointer motion
#   gnome_button <evdev code>       press and release a button (272 left, 273 right)
#                                   The three send through org.gnome.Mutter.RemoteDesktop, one
#                                   remote-desktop session for the whole test, and return once
#                                   mutter has taken the event.
#   gnome_stop                      end the session now: everything started in it, mutter,
#                                   Xwayland and the bus
#
# Set by gnome_start: GNOME_USER, GNOME_HOME (the account's home; writable by it), GNOME_RUN (its
# XDG_RUNTIME_DIR), GNOME_LOG, and the session's GNOME_DISPLAY, GNOME_XAUTHORITY,
# GNOME_WAYLAND_DISPLAY, GNOME_BUS.

GNOME_USER=orveline-gnome
GNOME_TAG="orveline-gnome-$$"
_gnome_started=""
_gnome_pid=""

gnome_start() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "SKIP: the session's account can only be made as root"
        return 77
    fi
    local tool
    for tool in mutter dbus-run-session xdotool python3; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; return 77; }
    done
    # The session's python3: the system's, as its PATH says.
    PATH=/usr/bin:/bin python3 -c 'import dbus' 2>/dev/null || { echo "SKIP: python3-dbus is not installed"; return 77; }
    id "$GNOME_USER" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$GNOME_USER" ||
        { echo "cannot add the account $GNOME_USER" >&2; return 1; }
    # NOTE: the account reads the test's files under $E2E_TMP.
    chmod 755 "$E2E_TMP"
    local base=$E2E_TMP/gnome
    GNOME_HOME=$base/home
    GNOME_RUN=$base/run
    GNOME_LOG=$base/mutter.log
    mkdir -p "$GNOME_HOME" "$GNOME_RUN"
    # NOTE: mutter's Xwayland makes its socket there as the account, and X servers started as
    # root may have left the folder writable by root only.
    mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
    chmod 700 "$GNOME_RUN"
    chown -R "$GNOME_USER" "$base"
    e2e_at_exit gnome_stop
    e2e_at_kill "pkill -KILL -u $GNOME_USER"
    _gnome_started=1

    local verbose=()
    [ "${1:-}" = --verbose ] && verbose=(MUTTER_VERBOSE=1 MUTTER_DEBUG=focus)
    local env_file=$base/session.env
    # NOTE: the tag in every process of the session (mutter, Xwayland, the bus, what they start)
    # is how gnome_stop finds them all; ORVELINE_TEST_TAG stays off them, so that a test's own
    # look for what is left of its programs does not count the desktop.
    env -u ORVELINE_TEST_TAG setsid runuser -u "$GNOME_USER" -- env -i PATH=/usr/bin:/bin \
        HOME="$GNOME_HOME" XDG_RUNTIME_DIR="$GNOME_RUN" GNOME_TAG="$GNOME_TAG" \
        NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory "${verbose[@]}" \
        dbus-run-session -- mutter --headless --wayland --wayland-display orveline-gnome \
        --virtual-monitor 1024x768 --virtual-monitor 1024x768 -- \
        sh -c "env > '$env_file.part' && mv '$env_file.part' '$env_file'; exec sleep 100000" \
        </dev/null >"$GNOME_LOG" 2>&1 &
    _gnome_pid=$!
    _gnome_up() { [ -s "$env_file" ] || ! kill -0 "$_gnome_pid" 2>/dev/null; }
    if ! e2e_wait 30 _gnome_up || [ ! -s "$env_file" ]; then
        echo "mutter did not start its session: $(tail -n 5 "$GNOME_LOG")" >&2
        return 1
    fi
    GNOME_DISPLAY=$(sed -n 's/^DISPLAY=//p' "$env_file")
    GNOME_XAUTHORITY=$(sed -n 's/^XAUTHORITY=//p' "$env_file")
    GNOME_WAYLAND_DISPLAY=$(sed -n 's/^WAYLAND_DISPLAY=//p' "$env_file")
    GNOME_BUS=$(sed -n 's/^DBUS_SESSION_BUS_ADDRESS=//p' "$env_file")
    if [ -z "$GNOME_DISPLAY" ] || [ -z "$GNOME_BUS" ] || [ -z "$GNOME_WAYLAND_DISPLAY" ]; then
        echo "the session's environment lacks DISPLAY, WAYLAND_DISPLAY or the bus" >&2
        return 1
    fi
    if ! e2e_wait 20 gnome_run xdpyinfo >/dev/null 2>&1; then
        echo "Xwayland of the session does not answer: $(tail -n 5 "$GNOME_LOG")" >&2
        return 1
    fi
    _gnome_input_start || return 1
}

gnome_run() {
    runuser -u "$GNOME_USER" -- env -i PATH=/usr/bin:/bin HOME="$GNOME_HOME" \
        XDG_RUNTIME_DIR="$GNOME_RUN" DISPLAY="$GNOME_DISPLAY" XAUTHORITY="$GNOME_XAUTHORITY" \
        WAYLAND_DISPLAY="$GNOME_WAYLAND_DISPLAY" DBUS_SESSION_BUS_ADDRESS="$GNOME_BUS" \
        GNOME_TAG="$GNOME_TAG" ORVELINE_TEST_TAG="$ORVELINE_TEST_TAG" "$@"
}

gnome_spawn() {
    gnome_run "$@" &
    GNOME_LAST_PID=$!
}

# The remote-desktop session: a small client that reads one event a line and answers "ok" once
# mutter has taken it.
_gnome_input_start() {
    cat >"$E2E_TMP/gnome/input.py" <<'EOF'
import sys
import dbus

bus = dbus.SessionBus()
name = "org.gnome.Mutter.RemoteDesktop"
desktop = dbus.Interface(bus.get_object(name, "/org/gnome/Mutter/RemoteDesktop"), name)
session = dbus.Interface(bus.get_object(name, desktop.CreateSession()), name + ".Session")
session.Start()


def key(code):
    session.NotifyKeyboardKeycode(dbus.UInt32(code), True)
    session.NotifyKeyboardKeycode(dbus.UInt32(code), False)


# NOTE: the first key press of a session is lost: a harmless one (Shift) goes first. Buttons
# reach no window until the pointer has moved once: a small move puts it on the desktop.
key(42)
session.NotifyPointerMotionRelative(5.0, 5.0)
print("ready", flush=True)
for line in sys.stdin:
    words = line.split()
    if not words:
        continue
    if words[0] == "key":
        key(int(words[1]))
    elif words[0] == "move":
        session.NotifyPointerMotionRelative(float(words[1]), float(words[2]))
    elif words[0] == "button":
        session.NotifyPointerButton(int(words[1]), True)
        session.NotifyPointerButton(int(words[1]), False)
    # A call that mutter answered has been taken; a round trip makes sure of it.
    bus.get_object(name, "/org/gnome/Mutter/RemoteDesktop").Introspect(
        dbus_interface="org.freedesktop.DBus.Introspectable")
    print("ok", flush=True)
session.Stop()
EOF
    chown "$GNOME_USER" "$E2E_TMP/gnome/input.py"
    coproc GNOME_INPUT { gnome_run python3 "$E2E_TMP/gnome/input.py" 2>&1; }
    local answer=""
    read -r -t 20 answer <&"${GNOME_INPUT[0]}"
    if [ "$answer" != ready ]; then
        echo "no remote-desktop session on mutter's bus: $answer" >&2
        return 1
    fi
}

_gnome_input() {
    local answer=""
    [ -n "${GNOME_INPUT[1]:-}" ] || fail "no remote-desktop session (gnome_start first)"
    echo "$*" >&"${GNOME_INPUT[1]}"
    read -r -t 10 answer <&"${GNOME_INPUT[0]}"
    [ "$answer" = ok ] || fail "mutter did not take the input '$*': $answer"
}

gnome_key() { _gnome_input key "$1"; }
gnome_move() { _gnome_input move "$1" "$2"; }
gnome_button() { _gnome_input button "$1"; }

# Processes whose environment holds the session's tag, this script and its subshells aside.
_gnome_pids() {
    local pid
    for pid in $(pgrep -u "$GNOME_USER" 2>/dev/null); do
        grep -qzx "GNOME_TAG=$GNOME_TAG" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
    done
    return 0
}

gnome_stop() {
    [ -n "$_gnome_started" ] || return 0
    _gnome_started=""
    [ -n "${GNOME_INPUT_PID:-}" ] && kill "$GNOME_INPUT_PID" 2>/dev/null
    local pids pid i
    # mutter first: it ends its Xwayland and its child, then the bus's runner ends the bus, so
    # that each is reaped by its parent rather than left a zombie.
    for pid in $(_gnome_pids); do
        [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = mutter ] && kill "$pid" 2>/dev/null
    done
    for ((i = 0; i < 60; i++)); do
        kill -0 "$_gnome_pid" 2>/dev/null || break
        sleep 0.05
    done
    pids=$(_gnome_pids)
    [ -n "$pids" ] && kill $pids 2>/dev/null
    for ((i = 0; i < 40; i++)); do
        pids=$(_gnome_pids)
        [ -z "$pids" ] && break
        sleep 0.05
    done
    [ -n "$pids" ] && kill -KILL $pids 2>/dev/null
    kill "$_gnome_pid" 2>/dev/null
    wait "$_gnome_pid" 2>/dev/null
    return 0
}
