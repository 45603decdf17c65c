#!/usr/bin/env bash
# Through Xwayland under a Wayland compositor without a layer shell (headless weston): the
# full-screen renderer neither takes the compositor down (as a window-manager state on an
# override-redirect window did) nor ends on Xwayland's focus noise; it animates for 8 s and ends
# cleanly on SIGTERM.
set -u
source "$ORVELINE_SOURCE/tests/support/display.sh"
renderer="$ORVELINE_DIST/Orveline.dll"
skip_unless_built "$renderer" renderer
# NOTE: weston refuses to run as root, so it runs as an account of its own.
if [ "$(id -u)" -ne 0 ] || ! command -v weston >/dev/null; then
    echo "SKIP: needs root (to make the compositor's account) and weston"
    exit 77
fi
user=orveline-wayland
id "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user" || fail "cannot add $user"
e2e_at_exit 'pkill -KILL -u "$user" 2>/dev/null'
e2e_at_kill "pkill -KILL -u $user"
chmod 755 "$E2E_TMP"
cp "$renderer" "$E2E_TMP/Orveline.dll"
mkdir -m 700 "$E2E_TMP/run" && chown "$user" "$E2E_TMP/run"
as_user() { runuser -u "$user" -- env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$E2E_TMP/run" "$@"; }

as_user weston --backend=headless-backend.so --use-pixman --xwayland --socket=orveline-wl \
    --width=1024 --height=768 --log="$E2E_TMP/run/weston.log" >/dev/null 2>&1 &
weston=$!
xdisplay() { sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$E2E_TMP/run/weston.log" 2>/dev/null; }
has_xdisplay() { [ -n "$(xdisplay)" ]; }
e2e_wait 15 has_xdisplay || fail "weston did not offer an X display"

as_user env DISPLAY="$(xdisplay)" "$E2E_TMP/Orveline.dll" &
pid=$!
# Xwayland admits only its own user's clients.
xwayland_window() { as_user env DISPLAY="$(xdisplay)" xdotool search --name '^OrvelineVC$' >/dev/null 2>&1; }
e2e_wait 10 xwayland_window || fail "no renderer window on Xwayland"
sleep 8
kill -0 "$weston" 2>/dev/null || fail "the compositor ended: $(tail -n 5 "$E2E_TMP/run/weston.log")"
e2e_running "$pid" || fail "the renderer ended by itself through Xwayland"
shot="$E2E_TMP/xwayland.png"
# A rootless Xwayland's root window holds no picture: take the renderer's window.
as_user env DISPLAY="$(xdisplay)" sh -c 'import -window "$(xdotool search --name "^OrvelineVC\$")" png:-' \
    >"$shot" || fail "no screenshot of the renderer's window"
e2e_keep "$shot"
e2e_float_ge "$(e2e_fraction "$shot" -colorspace Gray -threshold 8%)" 0.01 || fail "nothing drawn"
# To the renderer itself: runuser, its parent, would end on the signal too.
pkill -TERM -u "$user" -x Orveline.dll
e2e_wait_exit "$pid" 3 || fail "SIGTERM did not end the renderer"
[ "$E2E_RC" = 0 ] || fail "exit code $E2E_RC"
log "under weston through Xwayland: the compositor survives, the renderer animates 8 s and ends on SIGTERM"
