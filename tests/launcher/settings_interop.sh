#!/usr/bin/env bash
# A settings file written by the Windows build is read the same by the Linux build, and the other
# way round; both builds write the same bytes. Runs the launcher's own settings routines through
# each build's real platform (settings_probe).
#   settings_interop.sh <settings_probe.exe> <linux settings_probe>
# Exits 77 (skipped) when the Linux probe is not built.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
win_probe=$1
linux_probe=$2
skip_unless_built "$linux_probe" settings_probe
: "${ORVELINE_SOURCE:?}"
work=$(mktemp -d)
e2e_at_exit 'rm -rf "$work"'

# The Windows probe keeps its settings beside itself; the Linux one under XDG_CONFIG_HOME.
mkdir -p "$work/win" "$work/config/orveline"
cp "$win_probe" "$work/win/settings_probe.exe"
win() { "$ORVELINE_SOURCE/tests/wine/wine-run" "$work/win/settings_probe.exe" "$@" </dev/null | tr -d '\r'; }
lin() { XDG_CONFIG_HOME="$work/config" "$linux_probe" "$@" </dev/null; }
win_file=$work/win/Orveline.ini
lin_file=$work/config/orveline/Orveline.ini

# Path values in code page 932 (a folder named 音楽) pass as bytes.
music=$'C:\\\x89\xb9\x8a\x79\\a b.mp3'
hex() { printf 'hex:'; printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
for values in "1|12|$music" "2|0|" "-3|32767|C:\\x.wav" "0|0|"; do
    IFS='|' read -r kind repeat file <<<"$values"
    rm -f "$win_file" "$lin_file"
    w=$(win write "$kind" "$repeat" "$(hex "$file")") || fail "Windows write: $w"
    l=$(lin write "$kind" "$repeat" "$(hex "$file")") || fail "Linux write: $l"
    cmp "$win_file" "$lin_file" || fail "the builds write different bytes for $kind/$repeat"

    # Windows-written file read on Linux, Linux-written file read on Windows.
    cp "$win_file" "$lin_file"
    from_windows=$(lin load)
    cp "$lin_file" "$work/lin-copy.ini"
    cp "$work/lin-copy.ini" "$win_file"
    from_linux=$(win load)
    [ "$from_windows" = "$from_linux" ] || fail "read differently: Linux '$from_windows' Windows '$from_linux'"
    echo "ok   $kind/$repeat: $from_windows" | tr '\n' ' '
    echo
done

# A file edited on Windows by hand (LF line ends, other key case) is read the same on Linux.
printf '[section]\nbgm\x8b\xe6\x95\xaa = 1\n' >"$win_file"
cp "$win_file" "$lin_file"
[ "$(win load)" = "$(lin load)" ] || fail "a hand-edited file is read differently"
echo PASS
