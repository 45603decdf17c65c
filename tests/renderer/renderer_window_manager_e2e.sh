#!/usr/bin/env bash
# A full-screen run (Orveline.scr /s and its renderer) under a real window manager, openbox,
# with an ordinary application window open: the renderer's window comes up over the whole
# screen, the run stays up and animates for 3 s, and a key ends the renderer and the run.
# Runs on a display of its own, so that the window manager disturbs no other test.
set -u
source "$(dirname "$0")/../support/display.sh"
command -v openbox >/dev/null || { echo "SKIP: openbox is not installed"; exit 77; }
unset DISPLAY
e2e_ensure_display
export XDG_CONFIG_HOME="$E2E_TMP/config" XDG_RUNTIME_DIR="$E2E_TMP/runtime"
mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

e2e_spawn openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not start"
e2e_spawn xmessage -title Editor -geometry 400x200+100+100 "an application" >/dev/null 2>&1
e2e_wait_window Editor 3 >/dev/null || fail "could not open an application window"
sleep 0.3

e2e_spawn "$ORVELINE_DIST/Orveline.scr" /s
run=$E2E_LAST_PID
id=$(e2e_wait_window OrvelineVC 5) || fail "no renderer window within 5 s"
info=$(xwininfo -id "$id")
size=$(sed -n 's/^ *\(Width\|Height\): *//p' <<<"$info" | paste -sd x)
root=$(xwininfo -root | sed -n 's/^ *\(Width\|Height\): *//p' | paste -sd x)
[ "$size" = "$root" ] || fail "the renderer's window is $size on a $root screen"

sleep 3
e2e_running "$run" || fail "the run ended within 3 s under the window manager"
e2e_window_gone OrvelineVC && fail "the renderer's window vanished within 3 s"
first=$(e2e_shot wm_first)
sleep 0.3
second=$(e2e_shot wm_second)
e2e_keep "$first"
changed=$(e2e_differing_pixels "$first" "$second")
[ "$changed" -ge 5000 ] || fail "the picture does not move ($changed pixels changed)"
coloured=$(e2e_fraction "$first" -colorspace HSL -channel G -separate -threshold 50%)
e2e_float_ge "$coloured" 0.01 || fail "no coloured trails ($coloured)"

xdotool key space
e2e_wait_exit "$run" 3 || fail "the run still goes on 3 s after a key press"
[ "$E2E_RC" = 0 ] || fail "the run ended with exit code $E2E_RC"
e2e_window_gone OrvelineVC || fail "the renderer's window is still there"
log "up for 3 s under openbox ($changed pixels changed in 0.3 s), ended by a key"
