#!/usr/bin/env bash
# Orveline.scr start-up under Wine: the renderer test and its message (exact text in the user's
# language, Japanese also under a code page other than 932, English under a user-interface
# language other than Japanese; one OK button; the end once dismissed), a silent end for other
# letters, and the single-instance test against a hidden window of another program and against a
# copy started a moment before, in another code page. The launcher runs from a copy in a folder
# whose path has blanks and Japanese characters.
#   launcher_wine.sh <settings_probe.exe>
probe=$1
source "$ORVELINE_SOURCE/tests/wine/lib.sh"

work=$(mktemp -d)
e2e_at_exit 'rm -rf "$work"'
own="$work/own folder 設定"
mkdir -p "$own"
cp "$ORVELINE_DIST/Orveline.scr" "$own/"
scr="$own/Orveline.scr"

# The message as the box shows it, in UTF-8, in Japanese and in English.
japanese=4f7276656c696e652e646c6c20e3818c204f7276656c696e652e73637220e381a8e5908ce38198efbe8cefbdabefbe99efbe80efbe9ee381abe8a68be381a4e3818be3828ae381bee3819be38293efbc81
english=4f7276656c696e652e646c6c206973206e6f7420696e2074686520666f6c646572206f66204f7276656c696e652e73637221

log "/a with the renderer present ends at once, with no window"
: >"$own/Orveline.dll"
win_start a_present "$scr" /a 1234
win_wait_exit a_present 30 || fail "/a did not end"
[ "$WIN_EXIT" = 0 ] || fail "/a ended with $WIN_EXIT"
[ -z "$(win_xid Orveline)" ] || fail "/a left a window"

log "renderer missing: the message box with its text, the end once dismissed"
rm -f "$own/Orveline.dll"
# Runs: command line, locale (so code page), user-interface language. The third is Japanese on a
# system whose ANSI code page is not 932: the text must read the same. The last is English.
for run in "/s ja_JP.UTF-8 ja_JP.UTF-8" "/c ja_JP.UTF-8 ja_JP.UTF-8" \
    "/s C.UTF-8 ja_JP.UTF-8" "/s C.UTF-8 C.UTF-8"; do
    read -r args lang ui <<<"$run"
    expected=$([ "$ui" = ja_JP.UTF-8 ] && echo "$japanese" || echo "$english")
    # shellcheck disable=SC2086
    ORVELINE_WINE_LANG=$lang ORVELINE_WINE_UI=$ui win_start missing "$scr" $args
    win_wait_window Orveline 30 || fail "no message box for $args"
    text=$("$WIN_RUN" "$probe" box-text Orveline </dev/null | tr -d '\r')
    [ "$text" = "$expected" ] || fail "message text for $args in $lang, language $ui: $text"
    shot=launcher_wine_renderer_missing$([ "$lang" = ja_JP.UTF-8 ] || echo "_$lang")
    shot=$shot$([ "$ui" = ja_JP.UTF-8 ] || echo _english)
    [ "$args" = /s ] && win_screenshot "$WIN_ARTIFACTS/$shot.png" Orveline
    win_wait_exit missing 1 && fail "$args ended before the box was dismissed"
    for _ in 1 2 3 4 5; do
        win_key Return Orveline
        win_wait_exit missing 3 && break
    done
    [ -n "$WIN_EXIT" ] || fail "$args still runs after the box was dismissed"
    [ "$WIN_EXIT" = 0 ] || fail "$args ended with $WIN_EXIT after the message"
    WIN_EXIT=""
done

log "another copy's hidden window ends the new one at once"
: >"$own/Orveline.dll"
for title in Veyra_Main "<Orveline>"; do
    win_start holder "$WIN_TOOL" make-window OrvelineTestHolder "$title" 60000
    for _ in $(seq 100); do
        "$WIN_RUN" "$WIN_TOOL" find "$title" </dev/null >/dev/null 2>&1 && break
        sleep 0.2
    done
    for args in "/s" "/c" "/p 1234"; do
        # shellcheck disable=SC2086
        win_start blocked "$scr" $args
        win_wait_exit blocked 30 || fail "$args beside $title did not end"
        [ "$WIN_EXIT" = 0 ] || fail "$args beside $title ended with $WIN_EXIT"
        [ -s "$WIN_ARTIFACTS/blocked.out" ] && fail "$args beside $title said: $(cat "$WIN_ARTIFACTS/blocked.out")"
        [ -z "$(win_xid Orveline)" ] || fail "a message beside $title"
    done
    kill "${WIN_PIDS[holder]}" 2>/dev/null
    for pid in $(win_tagged_pids); do kill "$pid" 2>/dev/null; done
    sleep 1
done

log "two /c copies started a moment apart, in two code pages: one dialog"
ORVELINE_WINE_LANG=ja_JP.UTF-8 win_start first "$scr" /c
sleep 0.1
ORVELINE_WINE_LANG=C.UTF-8 win_start second "$scr" /c
running() { kill -0 "${WIN_PIDS[$1]}" 2>/dev/null && echo runs || echo ended; }
win_wait_window '<Orveline>' 60 || fail "no dialog (the first $(running first), the second $(running second))"
one_ended() { ! kill -0 "${WIN_PIDS[first]}" 2>/dev/null || ! kill -0 "${WIN_PIDS[second]}" 2>/dev/null; }
e2e_wait 30 one_ended || fail "both copies run"
sleep 2
[ "$(xdotool search --name '^<Orveline>$' 2>/dev/null | wc -l)" = 1 ] || fail "not one dialog"
kill "${WIN_PIDS[first]}" "${WIN_PIDS[second]}" 2>/dev/null
for pid in $(win_tagged_pids); do kill "$pid" 2>/dev/null; done
win_wait_gone '<Orveline>' 10 || fail "the dialog stays"

log "other letters end silently"
win_start other "$scr" /a
win_wait_exit other 30 || fail "/a did not end"
[ "$WIN_EXIT" = 0 ] || fail "/a ended with $WIN_EXIT"
[ ! -e "$own/Orveline.ini" ] || fail "reading the settings created the file"

echo PASS
