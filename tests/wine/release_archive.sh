#!/usr/bin/env bash
# The release archive of this build: made by CPack, it holds the two programs and the read-me in
# one folder; unpacked into a fresh folder, its launcher runs /s under Wine: the renderer's window
# appears, and a key ends the run.
source "$ORVELINE_SOURCE/tests/wine/lib.sh"

work=$(mktemp -d)
e2e_at_exit 'rm -rf "$work"'
cpack --config "$ORVELINE_BUILD/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$ORVELINE_BUILD/CPackConfig.cmake")
zip="$work/out/$name.zip"
[[ $name == Orveline-*-"$WIN_ARCH" ]] || fail "archive named '$name' for a $WIN_ARCH build"
[ -f "$zip" ] || fail "no $zip"

mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
listing=$(cd "$work/unpacked" && find . -type f | sort | tr '\n' ' ')
[ "$listing" = "./$name/Orveline.dll ./$name/Orveline.scr ./$name/README.txt " ] ||
    fail "archive holds: $listing"
folder="$work/unpacked/$name"
cmp -s "$folder/Orveline.scr" "$ORVELINE_DIST/Orveline.scr" || fail "Orveline.scr differs"
grep -q "Install" "$folder/README.txt" && grep -q "Orveline.ini" "$folder/README.txt" ||
    fail "the read-me says nothing of installing or of the settings file"

export HOME=$work
win_start launcher "$folder/Orveline.scr" /s
win_wait_window OrvelineVC 15 || fail "no renderer window OrvelineVC within 15 s"
win_tool find Veyra_Main >/dev/null || fail "the launcher of the unpacked archive is not running"
sleep 1
win_key space OrvelineVC
win_wait_exit launcher 10 || fail "the run did not end within 10 s of a key press"
win_wait_gone OrvelineVC 2 || fail "the renderer's window outlived the run"
log "archive $name.zip ran"
