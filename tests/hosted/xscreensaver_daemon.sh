#!/usr/bin/env bash
# Orveline under a real XScreenSaver daemon, from the package unpacked with dpkg -x. On a copy of
# a ~/.xscreensaver written by the daemon's settings, "orveline --add-to-xscreensaver" adds one
# line and keeps the rest, and changes nothing the second time. The daemon then runs it: after
# -activate the picture shows in the daemon's window and the music plays; after -deactivate no
# process of ours is left within 1 s and the music stops.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../e2e_helpers.sh"
: "${ORVELINE_BUILD:?}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# NOTE: the daemon never starts savers as root, so it runs as an account of its own.
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: the daemon's account can only be made as root"
    exit 77
fi
command -v xscreensaver >/dev/null || fail "xscreensaver is not installed"
deb=$(ls "$ORVELINE_BUILD"/orveline_*_amd64.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "no package in $ORVELINE_BUILD (the package test makes it)"
user=orveline-saver
id "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user" || fail "cannot add $user"

work=$(mktemp -d)
chmod 755 "$work"
xvfb_pid=""
cleanup() {
    pkill -KILL -u "$user" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
    return 0
}
trap cleanup EXIT
file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
ours() { pgrep -f "^$work/pkg/usr/lib/orveline/" | wc -l; }

dpkg -x "$deb" "$work/pkg" || fail "cannot unpack $deb"

# 1. The daemon's own file, set to show the program that is about to be added.
home="$work/home"
mkdir -p "$home/.config/orveline" "$home/run"
chmod 700 "$home/run"
head -c 352800 /dev/urandom >"$work/tone.raw"
lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s -b 128 "$work/tone.raw" \
    "$home/tone.mp3" 2>/dev/null || fail "cannot make the MP3"
printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' "$home/tone.mp3" \
    >"$home/.config/orveline/Orveline.ini"
programs=$(grep -c -- '--root.*\\n\\$' "$here/xscreensaver-6.06.conf")
sed -e 's/^mode:.*/mode:\t\tone/' -e "s/^selected:.*/selected:\t$programs/" \
    -e 's/^\(splash\|fade\|unfade\|lock\):.*/\1:\t\tFalse/' \
    "$here/xscreensaver-6.06.conf" >"$home/.xscreensaver"
cp "$home/.xscreensaver" "$work/before"
chown -R "$user" "$home"

Xvfb -displayfd 3 -screen 0 1280x720x24 -ac -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
as_user() {
    runuser -u "$user" -- env DISPLAY="$DISPLAY" HOME="$home" XDG_RUNTIME_DIR="$home/run" \
        PATH="$work/pkg/usr/bin:/usr/bin:/bin" SDL_AUDIODRIVER=disk \
        SDL_DISKAUDIOFILE="$home/audio.raw" "$@"
}
as_user xscreensaver -no-splash >"$work/daemon.log" 2>&1 &
for _ in $(seq 100); do xscreensaver-command -time >/dev/null 2>&1 && break; sleep 0.1; done
xscreensaver-command -time >/dev/null 2>&1 || fail "the daemon did not start: $(cat "$work/daemon.log")"

as_user orveline --add-to-xscreensaver >/dev/null || fail "--add-to-xscreensaver failed"
added=$(diff "$work/before" "$home/.xscreensaver" | grep '^[<>]')
[ "$(grep -c . <<<"$added")" -eq 1 ] && grep -q '^>[[:space:]]*orveline --root' <<<"$added" ||
    fail "the file changed otherwise than by one line: $added"
cp "$home/.xscreensaver" "$work/once"
as_user orveline --add-to-xscreensaver >/dev/null || fail "--add-to-xscreensaver failed again"
cmp -s "$work/once" "$home/.xscreensaver" || fail "a second --add-to-xscreensaver changed the file"

# 2. Activate: the daemon starts us in its window.
xscreensaver-command -activate >/dev/null || fail "-activate failed"
for _ in $(seq 150); do
    [ -n "$(xdotool search --name '^OrvelineVC$' 2>/dev/null)" ] && break
    sleep 0.1
done
[ -n "$(xdotool search --name '^OrvelineVC$' 2>/dev/null)" ] ||
    fail "no renderer window 15 s after -activate: $(tail -n 5 "$work/daemon.log")"
sleep 1
import -window root "$work/shot1.png"
s1=$(file_size "$home/audio.raw")
sleep 0.5
import -window root "$work/shot2.png"
s2=$(file_size "$home/audio.raw")
mean=$(convert "$work/shot1.png" -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m > 0.002) }' || fail "the daemon's window is black (mean $mean)"
[ "$(compare -metric AE "$work/shot1.png" "$work/shot2.png" null: 2>&1)" != 0 ] ||
    fail "the picture does not change"
[ "$s2" -gt "$s1" ] || fail "no music plays ($s1 -> $s2 bytes)"
log "activated: screen mean $mean, music $s1 -> $s2 bytes, $(ours) processes of ours"

# 3. Deactivate: the daemon's SIGTERM ends every process of ours within 1 s; the music stops.
start=$(now_ms)
xscreensaver-command -deactivate >/dev/null || fail "-deactivate failed"
while [ "$(ours)" -gt 0 ] && [ $(($(now_ms) - start)) -lt 1000 ]; do sleep 0.01; done
[ "$(ours)" -eq 0 ] || fail "processes of ours 1 s after -deactivate: $(pgrep -af "$work/pkg")"
log "deactivated: no process of ours after $(($(now_ms) - start)) ms"
s3=$(file_size "$home/audio.raw")
sleep 0.5
[ "$(file_size "$home/audio.raw")" -eq "$s3" ] || fail "the music goes on after -deactivate"
log "passed"
