#!/usr/bin/env bash
# Orveline under a real xsecurelock, from the package unpacked with dpkg -x, set up as the README
# says: XSECURELOCK_SAVER=saver_xscreensaver and "orveline --root" in ~/.xscreensaver. The locker
# shows the moving picture, and SIGTERM to the locker leaves no process of ours.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
source "$(dirname "${BASH_SOURCE[0]}")/daemon_lib.sh"
command -v xsecurelock >/dev/null || fail "xsecurelock is not installed"
daemon_setup

cat >"$home/.xscreensaver" <<'END'
mode:       one
selected:   0
programs:   orveline --root \n
END
chown -R "$user" "$home"

as_user env XSECURELOCK_SAVER=saver_xscreensaver \
    XSECURELOCK_XSCREENSAVER_PATH="$pkg/usr/libexec/xscreensaver" \
    xsecurelock >"$work/locker.log" 2>&1 &
locker_shell=$!
# NOTE: the locker puts its savers' windows under the composite overlay, where no look-up from
# the root window finds them; the renderer's process and the screen show them.
renderer_starts 15 || fail "no renderer 15 s after the locker started: $(tail -n 5 "$work/locker.log")"
shows_moving_picture "locked"

locker=$(pgrep -u "$user" -x xsecurelock)
[ -n "$locker" ] || fail "no locker process"
kill -TERM "$locker"
e2e_wait_exit "$locker_shell" 5 || fail "the locker did not end on SIGTERM"
nothing_left_within 1000 "SIGTERM to the locker"
log "passed"
