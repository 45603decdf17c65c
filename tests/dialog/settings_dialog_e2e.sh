#!/usr/bin/env bash
# The settings dialog end to end: "Orveline.scr /c" opens "<Orveline>"; clicks on the file
# option and on the save button write the file kind with the code-page-932 key and keep the file
# chosen before, and the next "Orveline.scr /s" plays that file until a key ends the run; the
# cancel button leaves the file as it was; a read-only settings file is left as it was and keeps
# the dialog open with a message. Pictures of the dialog are checked at chosen pixels and kept as
# artifacts. The dialog speaks Japanese in a Japanese locale; in another it speaks English with
# the same layout, saves the same bytes for the same clicks, and keeps a Japanese copy from opening.
#   settings_dialog_e2e.sh <linux|win32>
set -u
platform=$1
# Japanese unless a step says otherwise.
unset LANGUAGE LC_ALL LC_MESSAGES
export LANG=ja_JP.UTF-8
english=C.UTF-8
here=$(cd "$(dirname "$0")" && pwd)
probe="$ORVELINE_SOURCE/tests/button/pixel_probe.py"
artifacts="$ORVELINE_BUILD/test-artifacts/dialog"
mkdir -p "$artifacts"
work=$(mktemp -d)
app="$work/app"
mkdir -p "$app"
cp "$ORVELINE_DIST/Orveline.scr" "$ORVELINE_DIST/Orveline.dll" "$app/" || exit 1
# Two seconds of noise: any stretch of it played is far from silence.
mp3="$work/tone.mp3"
head -c 352800 /dev/urandom >"$work/tone.raw"
lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s -b 128 "$work/tone.raw" "$mp3" \
    2>/dev/null || { echo "FAIL: cannot make the MP3" >&2; exit 1; }
audio="$work/audio.raw"

if [ "$platform" = win32 ]; then
    source "$ORVELINE_SOURCE/tests/wine/lib.sh"
    settings="$app/Orveline.ini"
    music_file="Z:${mp3//\//\\}"
    # Wine's sound goes to ALSA; this HOME's ALSA device writes to a file.
    mkdir -p "$work/home"
    printf 'pcm.!default { type file  slave.pcm "null"  file "%s"  format "raw" }\n' "$audio" \
        >"$work/home/.asoundrc"
    e2e_at_exit 'chmod -R u+w "$work"; rm -rf "$work"'
else
    export XDG_CONFIG_HOME="$work/config"
    settings="$XDG_CONFIG_HOME/orveline/Orveline.ini"
    mkdir -p "$(dirname "$settings")"
    music_file=$mp3
    dialog_pid=""
    run_pid=""
    end_linux() {
        local pid
        for pid in $dialog_pid $run_pid $(pgrep -fx "$app/Orveline.dll"); do kill "$pid" 2>/dev/null; done
    }
    source "$ORVELINE_SOURCE/tests/support/display.sh"
    e2e_at_exit 'end_linux; chmod -R u+w "$work"; rm -rf "$work"'
fi

# Finds the visible window with exactly this title within the given seconds.
find_window() {
    local i id
    for ((i = 0; i < $2 * 10; i++)); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

start_dialog() {  # [locale]
    local locale=${1:-$LANG}
    if [ "$platform" = win32 ]; then
        ORVELINE_WINE_LANG=$locale win_start dialog "$app/Orveline.scr" /c
    else
        LANG=$locale "$app/Orveline.scr" /c >>"$artifacts/dialog-$platform.out" 2>&1 &
        dialog_pid=$!
    fi
    window=$(find_window '<Orveline>' 30) || fail "no window <Orveline> after /c"
    sleep 1  # zoom, first paint
    read -r wx wy < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF}
        /Absolute upper-left Y/ {y=$NF} END {print x, y}')
}

wait_exit() {
    if [ "$platform" = win32 ]; then
        win_wait_exit dialog 20 || fail "the launcher did not end after the dialog closed"
    else
        local i
        for ((i = 0; i < 200; i++)); do
            kill -0 "$dialog_pid" 2>/dev/null || { wait "$dialog_pid"; dialog_pid=""; return 0; }
            sleep 0.1
        done
        fail "the launcher did not end after the dialog closed"
    fi
}

# A left click at a pixel of the dialog's client area.
click_at() {
    xdotool mousemove --sync $((wx + $1)) $((wy + $2))
    sleep 0.3
    xdotool click 1
    sleep 0.4
}

check_picture() {  # check_picture <name> <probe file>
    local picture="$artifacts/$1-$platform.png"
    e2e_screenshot "$picture" "$window" || fail "no screenshot of the dialog"
    python3 "$probe" "$picture" "$here/$2" || fail "the dialog differs at the pixels above: $picture"
}

write_settings() {  # kind, repeat[, music file]: a settings file in the system's bytes
    python3 - "$settings" "$1" "$2" "${3:-}" <<'PY'
import sys
path, kind, repeat, music = sys.argv[1:5]
keys = [b"BGM\x8b\xe6\x95\xaa", b"BGM\xd8\xcb\xdf\xb0\xc4", b"BGM\xcc\xa7\xb2\xd9"]
with open(path, "wb") as f:
    f.write(b"[Section]\r\n" + keys[0] + b"=" + kind.encode() + b"\r\n" + keys[1] + b"=" +
            repeat.encode() + b"\r\n" + keys[2] + b"=" + music.encode() + b"\r\n")
PY
}

show_settings() { echo "settings file $settings:" >&2; od -c "$settings" >&2; }

size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

# Waits up to the given seconds for a quarter second more of sound than the given size, and for
# that sound not to be silence (a device opened with nothing playing writes zeros).
wait_music() {  # wait_music <size before> <seconds>
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        if [ "$(size_of "$audio")" -ge $(($1 + 44100)) ]; then
            [ "$(tail -c 44100 "$audio" | tr -d '\0' | wc -c)" -gt 4410 ] && return 0
        fi
        sleep 0.1
    done
    return 1
}

# A full-screen run with the saved settings: music plays while the renderer runs; a key ends the
# renderer, the launcher follows and the music stops.
run_saver() {
    local before after i
    rm -f "$audio"
    if [ "$platform" = win32 ]; then
        HOME="$work/home" win_start run "$app/Orveline.scr" /s
        win_wait_window OrvelineVC 15 || fail "no renderer window after /s"
    else
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" "$app/Orveline.scr" /s \
            >>"$artifacts/run-$platform.out" 2>&1 &
        run_pid=$!
        find_window OrvelineVC 10 >/dev/null || fail "no renderer window after /s"
    fi
    wait_music "$(size_of "$audio")" 5 || fail "the chosen MP3 does not play during /s"
    if [ "$platform" = win32 ]; then
        win_key space OrvelineVC
        win_wait_exit run 10 || fail "the launcher did not end after a key ended the renderer"
    else
        xdotool key space
        for ((i = 0; i < 100; i++)); do kill -0 "$run_pid" 2>/dev/null || break; sleep 0.1; done
        kill -0 "$run_pid" 2>/dev/null && fail "the launcher did not end after a key ended the renderer"
        wait "$run_pid"
        run_pid=""
    fi
    before=$(size_of "$audio")
    sleep 0.5
    after=$(size_of "$audio")
    [ "$after" -eq "$before" ] || fail "music goes on after the run ($before -> $after bytes)"
}

# Button and option places, in client pixels (15 twips to the pixel).
file_option_label=(68 118)
save_button=(356 212)
cancel_button=(430 212)

# 1. Choose the file option and save; the next full-screen run plays the file chosen before.
write_settings 0 7 "$music_file"
start_dialog
check_picture dialog-loaded loaded.probes
click_at "${file_option_label[@]}"
check_picture dialog-file-option file_option.probes
click_at "${save_button[@]}"
wait_exit
python3 - "$settings" "$music_file" <<'PY' || { show_settings; fail "the settings file does not hold BGM区分=2 with its code-page-932 key, the repeat and the music file"; }
import sys
lines = open(sys.argv[1], "rb").read().splitlines()
wanted = [b"BGM\x8b\xe6\x95\xaa=2", b"BGM\xd8\xcb\xdf\xb0\xc4=7",
          b"BGM\xcc\xa7\xb2\xd9=" + sys.argv[2].encode()]
sys.exit(0 if all(w in lines for w in wanted) else 1)
PY
cp "$settings" "$work/saved-japanese.ini"
run_saver

# 2. In English: the same places, other captions, the same saved bytes; a Japanese copy started
# beside it ends at once.
write_settings 0 7 "$music_file"
start_dialog "$english"
check_picture dialog-english loaded.probes
japanese_picture="$artifacts/dialog-loaded-$platform.png"
english_picture="$artifacts/dialog-english-$platform.png"
# Client pixels x y width height of each caption: the labels CD, repeat, none, file, then the
# save, cancel and other works buttons.
for box in 48,72,43,13 148,72,66,13 48,92,23,13 48,112,60,13 320,200,73,25 396,200,69,25 \
    192,200,125,25; do
    IFS=, read -r x y w h <<<"$box"
    crop() { convert "$1" -crop "${w}x${h}+$x+$y" +repage "$2"; }
    crop "$japanese_picture" "$work/ja.png"
    crop "$english_picture" "$work/en.png"
    # Under Wine "MP3、WAV" and "MP3, WAV" differ in a few pixels only.
    [ "$(e2e_differing_pixels "$work/ja.png" "$work/en.png")" -gt 0 ] ||
        fail "the caption at $box reads the same in both languages"
done
if [ "$platform" = win32 ]; then
    ORVELINE_WINE_LANG=ja_JP.UTF-8 win_start second "$app/Orveline.scr" /c
    win_wait_exit second 30 || fail "a Japanese copy beside the English dialog did not end"
else
    timeout 20 "$app/Orveline.scr" /c >/dev/null 2>&1 ||
        fail "a Japanese copy beside the English dialog did not end at once"
fi
[ "$(xdotool search --onlyvisible --name '^<Orveline>$' | wc -l)" = 1 ] ||
    fail "a second dialog opened beside the English one"
click_at "${file_option_label[@]}"
click_at "${save_button[@]}"
wait_exit
cmp "$settings" "$work/saved-japanese.ini" ||
    { show_settings; fail "the English dialog saved other bytes than the Japanese one"; }

# 3. Hover and leave a button; cancel after a change: the file stays as it was.
write_settings 1 3
cp "$settings" "$work/before.ini"
start_dialog
xdotool mousemove --sync $((wx + 250)) $((wy + 212))
sleep 0.5
check_picture dialog-hover hover.probes
xdotool mousemove --sync $((wx + 5)) $((wy + 5))
sleep 0.5
check_picture dialog-left left.probes
click_at "${file_option_label[@]}"
click_at "${cancel_button[@]}"
wait_exit
cmp -s "$settings" "$work/before.ini" || { show_settings; fail "cancel changed the settings file"; }

# 4. A read-only settings file (root included) is not written: a message, the dialog stays
# open, and the file keeps its bytes, mode and group.
write_settings 0 0
if [ "$platform" = win32 ] && [ "$(id -u)" = 0 ]; then
    # Wine lets root write a read-only file: a folder in the file's place stops it.
    rm -f "$settings"
    mkdir "$settings"
else
    chmod 444 "$settings"
fi
snapshot() { stat -c '%F %a %g' "$settings"; [ -d "$settings" ] || md5sum <"$settings"; }
before=$(snapshot)
start_dialog
click_at "${file_option_label[@]}"
click_at "${save_button[@]}"
message=$(find_window 'Orveline' 10) || fail "no message after a failed save"
e2e_screenshot "$artifacts/dialog-save-failed-$platform.png"
find_window '<Orveline>' 1 >/dev/null || fail "the dialog closed although nothing was saved"
xdotool windowfocus --sync "$message" 2>/dev/null
xdotool key Return
for ((i = 0; i < 50; i++)); do
    [ -z "$(xdotool search --onlyvisible --name '^Orveline$' 2>/dev/null)" ] && break
    sleep 0.1
done
find_window '<Orveline>' 1 >/dev/null || fail "the dialog closed with the message"
click_at "${cancel_button[@]}"
wait_exit
[ "$(snapshot)" = "$before" ] || fail "the settings file that cannot be written changed"
echo "settings dialog end to end: passed ($platform)"
