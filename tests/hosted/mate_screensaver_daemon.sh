#!/usr/bin/env bash
# Orveline under a real MATE screensaver, from the package unpacked with dpkg -x, set up as the
# README says: theme "screensavers-orveline", mode single. --activate shows the moving picture,
# and --deactivate leaves no process of ours; "orveline --on-idle" leaves idle
# starts to the screensaver and ends.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
source "$(dirname "${BASH_SOURCE[0]}")/daemon_lib.sh"
command -v mate-screensaver >/dev/null || fail "mate-screensaver is not installed"
daemon_setup
# The session: its bus, the services the bus starts (settings, and the accessibility bus that
# Qt asks for), and the screensaver.
daemon_own='^(dbus-run-sessio|dbus-daemon|dconf-service|at-spi-bus-laun|at-spi2-registr|mate-screensave)$'

# NOTE: the MATE screensaver runs a theme's command only from its known hack folders, among them
# /usr/libexec/xscreensaver where the package puts its link. The package is unpacked here, not
# installed, so the session sees the link there through a mount namespace of its own; where
# namespaces are not allowed, the link is put there for the test's time.
hacks=/usr/libexec/xscreensaver
mkdir "$work/hacks"
ln -s "$pkg/usr/lib/orveline/orveline" "$work/hacks/orveline"
in_namespace=(unshare --mount --propagation private sh -c 'mount --bind "$0" "$1" && exec "$@"' \
    "$work/hacks" "$hacks")
if ! "${in_namespace[@]}" true 2>/dev/null; then
    in_namespace=()
    [ -e "$hacks/orveline" ] && fail "$hacks/orveline exists: an installed package would run"
    ln -s "$pkg/usr/lib/orveline/orveline" "$hacks/orveline" || fail "cannot link into $hacks"
    e2e_at_exit 'rm -f "$hacks/orveline"'
fi

cat >"$work/session.sh" <<'END'
gsettings set org.mate.screensaver mode single
gsettings set org.mate.screensaver themes "['screensavers-orveline']"
gsettings set org.mate.screensaver lock-enabled false
echo "$DBUS_SESSION_BUS_ADDRESS" >"$HOME/bus"
exec mate-screensaver --no-daemon
END
chown -R "$user" "$home"
# The theme's entry comes from the package's share folder.
"${in_namespace[@]}" runuser -u "$user" -- env DISPLAY="$DISPLAY" HOME="$home" \
    XDG_RUNTIME_DIR="$home/run" PATH="$pkg/usr/bin:/usr/bin:/bin" \
    XDG_DATA_DIRS="$pkg/usr/share:/usr/share" XDG_CURRENT_DESKTOP=MATE \
    dbus-run-session -- sh "$work/session.sh" >"$work/daemon.log" 2>&1 &
command_saver() {
    as_user env DBUS_SESSION_BUS_ADDRESS="$(cat "$home/bus")" mate-screensaver-command "$@"
}
saver_up() { [ -s "$home/bus" ] && command_saver --query >/dev/null 2>&1; }
e2e_wait 15 saver_up || fail "the screensaver did not start: $(tail -n 5 "$work/daemon.log")"
out=$(as_user env DBUS_SESSION_BUS_ADDRESS="$(cat "$home/bus")" timeout 10 orveline --on-idle 3) ||
    fail "--on-idle beside the screensaver failed: $out"
grep -q '^orveline: The MATE screensaver runs' <<<"$out" ||
    fail "--on-idle did not leave idle starts to the screensaver: $out"

command_saver --activate >/dev/null || fail "--activate failed"
renderer_starts 15 || fail "no renderer 15 s after --activate: $(tail -n 5 "$work/daemon.log")"
shows_moving_picture "--activate"

command_saver --deactivate >/dev/null || fail "--deactivate failed"
nothing_left_within 1000 "--deactivate"
log "passed"
