#!/usr/bin/env bash
# Orveline under a real XScreenSaver daemon, from the package unpacked with dpkg -x. On a copy of
# a ~/.xscreensaver written by the daemon's settings, "orveline --add-to-xscreensaver" adds one
# line and keeps the rest, and changes nothing the second time; "orveline --on-idle" leaves idle
# starts to the daemon and ends. The daemon then runs it: after
# -activate the picture shows in the daemon's window and the music plays; after -deactivate no
# process of ours (a session bus included: the daemon has none) is left within 1 s and the music
# stops.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
source "$(dirname "${BASH_SOURCE[0]}")/daemon_lib.sh"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
command -v xscreensaver >/dev/null || fail "xscreensaver is not installed"
daemon_setup
daemon_own='^xscreensaver'

# 1. The daemon's own file, set to show the program that is about to be added.
e2e_make_mp3 "$home/tone.mp3"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' "$home/tone.mp3" \
    >"$home/.config/orveline/Orveline.ini"
programs=$(grep -c -- '--root.*\\n\\$' "$here/xscreensaver-6.06.conf")
sed -e 's/^mode:.*/mode:\t\tone/' -e "s/^selected:.*/selected:\t$programs/" \
    -e 's/^\(splash\|fade\|unfade\|lock\):.*/\1:\t\tFalse/' \
    "$here/xscreensaver-6.06.conf" >"$home/.xscreensaver"
cp "$home/.xscreensaver" "$work/before"
chown -R "$user" "$home"

e2e_spawn as_user xscreensaver -no-splash >"$work/daemon.log" 2>&1
daemon_up() { xscreensaver-command -time >/dev/null 2>&1; }
e2e_wait 10 daemon_up || fail "the daemon did not start: $(cat "$work/daemon.log")"

as_user orveline --add-to-xscreensaver >/dev/null || fail "--add-to-xscreensaver failed"
added=$(diff "$work/before" "$home/.xscreensaver" | grep '^[<>]')
[ "$(grep -c . <<<"$added")" -eq 1 ] && grep -q '^>[[:space:]]*orveline --root' <<<"$added" ||
    fail "the file changed otherwise than by one line: $added"
cp "$home/.xscreensaver" "$work/once"
as_user orveline --add-to-xscreensaver >/dev/null || fail "--add-to-xscreensaver failed again"
cmp -s "$work/once" "$home/.xscreensaver" || fail "a second --add-to-xscreensaver changed the file"
out=$(as_user timeout 10 orveline --on-idle 3) || fail "--on-idle beside the daemon failed: $out"
grep -q '^orveline: XScreenSaver runs' <<<"$out" || fail "--on-idle did not leave it to the daemon: $out"

# 2. Activate: the daemon starts us in its window.
xscreensaver-command -activate >/dev/null || fail "-activate failed"
e2e_wait_window OrvelineVC 15 >/dev/null ||
    fail "no renderer window 15 s after -activate: $(tail -n 5 "$work/daemon.log")"
shows_moving_picture -activate
[ "$(e2e_growth "$home/audio.raw" 0.5)" -gt 0 ] || fail "no music plays"

# 3. Deactivate: the daemon's SIGTERM ends every process of ours within 1 s; the music stops.
xscreensaver-command -deactivate >/dev/null || fail "-deactivate failed"
nothing_left_within 1000 "-deactivate"
[ "$(e2e_growth "$home/audio.raw" 0.5)" -eq 0 ] || fail "the music goes on after -deactivate"
log "passed"
