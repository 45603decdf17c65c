#!/usr/bin/env bash
# Orveline.scr start-up on Xvfb: the renderer test and its message (its text in the user's
# language: Japanese in a Japanese locale, English in the C locale), silent ends, and the
# single-instance test against windows of other programs (hidden, mapped, framed; either title
# property). The launcher runs from a copy in a folder whose path has blanks and non-ASCII
# characters; the "renderer" there is a script that leaves a mark when it is started.
#   launcher_linux.sh <x11_titled_window>
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
titled_window=$1
: "${ORVELINE_DIST:?}" "${DISPLAY:?}"
unset LANGUAGE LC_ALL LC_MESSAGES
export LANG=ja_JP.UTF-8

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    [ -f "$work/renderer.pid" ] && kill "$(cat "$work/renderer.pid")" 2>/dev/null
    rm -rf "$work"
}
e2e_at_exit cleanup
artifacts=${ORVELINE_BUILD:-$work}/test-artifacts
mkdir -p "$artifacts"

own="$work/own folder ü 設定"
mkdir -p "$own" "$work/config"
cp "$ORVELINE_DIST/Orveline.scr" "$own/"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
marker="$work/renderer-started"
with_renderer() { printf '#!/bin/sh\ntouch "%s"\n' "$marker" >"$own/Orveline.dll"; chmod +x "$own/Orveline.dll"; }
without_renderer() { rm -f "$own/Orveline.dll"; }

box_id() { xdotool search --name '^Orveline$' 2>/dev/null | head -n1; }

# run_until_end <seconds> <args...>: runs the launcher, which must end by itself in time;
# sets rc and err.
run_until_end() {
    local seconds=$1
    shift
    timeout "$seconds" "$own/Orveline.scr" "$@" </dev/null >"$work/out" 2>"$work/err"
    rc=$?
    err=$(grep -v 'XDG_RUNTIME_DIR' "$work/err")
}

echo "--- /a with the renderer present ends at once, with no window"
with_renderer
start=$(date +%s%N)
run_until_end 10 /a 1234
[ "$rc" = 0 ] || fail "/a ended with $rc ($err)"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$elapsed" -lt 5000 ] || fail "/a took ${elapsed} ms"
[ -z "$(box_id)" ] || fail "/a left a window"
[ ! -e "$marker" ] || fail "/a started the renderer"
[ -z "$err" ] || fail "/a said: $err"

echo "--- renderer missing: the message box, and the end once it is dismissed"
without_renderer
for run in "/s|" "/c|" "/a 1234|" "|" "/s|C.UTF-8"; do
    IFS='|' read -r args locale <<<"$run"
    # shellcheck disable=SC2086
    LANG=${locale:-$LANG} "$own/Orveline.scr" $args </dev/null >"$work/out" 2>"$work/err" &
    pid=$!
    pids+=("$pid")
    for _ in $(seq 100); do [ -n "$(box_id)" ] && break; sleep 0.1; done
    id=$(box_id)
    [ -n "$id" ] || fail "no message box for '$args'"
    if [ "$args" = "/s" ]; then
        sleep 0.5  # first paint
        e2e_screenshot "$artifacts/launcher_renderer_missing${locale:+_$locale}.png" "$id" ||
            fail "no picture of the message box"
    fi
    kill -0 "$pid" 2>/dev/null || fail "'$args' ended before the box was dismissed"
    for _ in 1 2 3 4 5; do
        xdotool windowfocus --sync "$id" 2>/dev/null
        xdotool key Return
        for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -0 "$pid" 2>/dev/null || break
    done
    if kill -0 "$pid" 2>/dev/null; then fail "'$args' still runs after the box was dismissed"; fi
    wait "$pid"
    rc=$?
    [ "$rc" = 0 ] || fail "'$args' ended with $rc after the message"
    [ -z "$(box_id)" ] || fail "the box stayed"
done

# Qt gives no way to read a message box's text from outside: the English box must differ from
# the Japanese one (the texts themselves are the launcher test's).
japanese_box="$artifacts/launcher_renderer_missing.png"
english_box="$artifacts/launcher_renderer_missing_C.UTF-8.png"
if [ "$(identify -format %wx%h "$japanese_box")" = "$(identify -format %wx%h "$english_box")" ]; then
    [ "$(e2e_differing_pixels "$japanese_box" "$english_box")" -gt 100 ] ||
        fail "the message box in the C locale looks like the Japanese one"
fi

echo "--- another copy's window ends the new one at once"
with_renderer
# Without such a window, /s goes on to the run, which starts the renderer (the control case).
rm -f "$marker"
run_until_end 20 /s
for _ in $(seq 20); do [ -e "$marker" ] && break; sleep 0.1; done
[ -e "$marker" ] || fail "/s alone did not start the renderer"
for mode in unmapped mapped framed; do
    for property in wm-name net-wm-name; do
        for title in Veyra_Main "<Orveline>"; do
            rm -f "$marker"
            "$titled_window" "$title" "$mode" "$property" >"$work/window.out" &
            wpid=$!
            pids+=("$wpid")
            for _ in $(seq 50); do grep -q ready "$work/window.out" && break; sleep 0.1; done
            for args in "/s" "/c" "/p 1234" ""; do
                # shellcheck disable=SC2086
                run_until_end 10 $args
                [ "$rc" = 0 ] || fail "'$args' beside $title ($mode, $property) ended with $rc: $err"
                [ -z "$err" ] || fail "'$args' beside $title ($mode, $property) said: $err"
            done
            sleep 0.2
            [ ! -e "$marker" ] || fail "a renderer was started beside $title ($mode, $property)"
            kill "$wpid"
            wait "$wpid" 2>/dev/null
        done
    done
done

echo "--- a second copy finds the hidden window of a run in progress"
printf '#!/bin/sh\necho $$ >"%s"\nexec "%s" OrvelineVC mapped\n' "$work/renderer.pid" "$titled_window" \
    >"$own/Orveline.dll"
"$own/Orveline.scr" "" </dev/null >"$work/run.out" 2>"$work/run.err" &
run=$!
pids+=("$run")
for _ in $(seq 100); do [ -n "$(xdotool search --name '^Veyra_Main$' 2>/dev/null)" ] && break; sleep 0.1; done
[ -n "$(xdotool search --name '^Veyra_Main$' 2>/dev/null)" ] || fail "the run has no window titled Veyra_Main: $(cat "$work/run.err")"
run_until_end 10 /s
[ "$rc" = 0 ] || fail "a second /s during a run ended with $rc"
kill -0 "$run" 2>/dev/null || fail "the second copy disturbed the run"
kill "$(cat "$work/renderer.pid")"
for _ in $(seq 50); do kill -0 "$run" 2>/dev/null || break; sleep 0.1; done
kill -0 "$run" 2>/dev/null && fail "the run did not end with its renderer"
with_renderer

echo "--- a running preview does not block"
"$titled_window" "Preview Window" unmapped >"$work/window.out" &
wpid=$!
pids+=("$wpid")
for _ in $(seq 50); do grep -q ready "$work/window.out" && break; sleep 0.1; done
run_until_end 10 /a
[ "$rc" = 0 ] || fail "/a beside a preview ended with $rc"
kill "$wpid"

echo "--- other letters end silently; reading the settings creates nothing"
for args in "/a" "-x 99" "//" "/$(printf 'x%.0s' $(seq 5000))"; do
    run_until_end 10 "$args"
    [ "$rc" = 0 ] || fail "'${args:0:20}' ended with $rc"
    [ -z "$err" ] || fail "'${args:0:20}' said: $err"
done
[ -z "$(ls -A "$XDG_CONFIG_HOME")" ] || fail "reading the settings created files"

echo "--- bad settings files are read without harm"
mkdir -p "$XDG_CONFIG_HOME/orveline"
head -c 200000 /dev/urandom >"$XDG_CONFIG_HOME/orveline/Orveline.ini"
run_until_end 10 /a
[ "$rc" = 0 ] || fail "/a with a binary settings file ended with $rc"
printf '[Section]\n%s\n' "$(printf 'x%.0s' $(seq 100000))" >"$XDG_CONFIG_HOME/orveline/Orveline.ini"
run_until_end 10 /a
[ "$rc" = 0 ] || fail "/a with a very long line ended with $rc"

echo "--- the orveline command starts the launcher beside it"
cp "$ORVELINE_DIST/orveline" "$own/orveline"
"$own/orveline" --help | grep -q settings || fail "orveline --help"
timeout 10 "$own/orveline" /a </dev/null >/dev/null 2>&1 || fail "orveline /a"

echo "PASS"
