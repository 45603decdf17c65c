#!/usr/bin/env bash
# Runs one script of private-profile reads and writes over a corpus of tricky settings files,
# once through the Windows calls (profile_runner.exe under Wine) and once through our own file
# code (the Linux build's profile_runner), and compares the values read and the files' bytes.
#   profile_compare.sh <windows runner.exe> <linux runner>
# Exits 77 (skipped) when the Linux runner is not built.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../e2e_helpers.sh"
win_runner=$1
own_runner=$2
skip_unless_built "$own_runner" profile_runner
: "${ORVELINE_SOURCE:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; [ -n "$1" ] || printf -- '-'; }

# Keys as code-page-932 bytes.
KIND=$'BGM\x8b\xe6\x95\xaa'
REPEAT=$'BGM\xd8\xcb\xdf\xb0\xc4'
FILEKEY=$'BGM\xcc\xa7\xb2\xd9'
MUSIC=$'C:\\\x89\xb9\x8a\x79\\a.mp3'   # C:\音楽\a.mp3

# --- the corpus
corpus=$work/corpus
mkdir -p "$corpus"
printf '[Section]\r\n%s=2\r\n%s=0\r\n%s=C:\\Music\\a.mp3\r\n' "$KIND" "$REPEAT" "$FILEKEY" >"$corpus/crlf.ini"
printf '[Section]\n%s=1\n%s=3\n%s=\n' "$KIND" "$REPEAT" "$FILEKEY" >"$corpus/lf.ini"
printf '[Section]\r\nkey=no newline at the end' >"$corpus/no_final_newline.ini"
printf '[Section]\nkey=1\nkey=2\n[Other]\nx=1\n[Section]\nkey=3\ndup=4\n' >"$corpus/duplicates.ini"
printf '[Section]\n  key  =  spaced value  \n\tempty=\nempty2 =\n a = b = c \n%s\t=\t7\n' "$KIND" >"$corpus/blanks.ini"
long=$(printf 'L%.0s' $(seq 300))
printf '[Section]\nlong=%s\nquoted="%s"\nq2="short"\nq3='"'"'single'"'"'\nq4="\n' "$long" "$long" >"$corpus/long_values.ini"
printf '[SECTION]\nKEY=upper\n%s=5\n[section]\nkey=lower\n' "bgm${KIND:3}" >"$corpus/other_case.ini"
printf 'before=1\nno section=2\n' >"$corpus/no_section.ini"
printf '; comment\n\n[Section]\n; inner comment\n\n\nkey=1\n\n[Next]\n\nk=v\n' >"$corpus/comments.ini"
printf '\x01\x02junk\x1a\n[unclosed\n]odd[\n=\n==\n[Section]\nkey=\x7f\x1b[0m\n\x0b\x0ckey2=x\n[[Section]]\nkey=inner\n' >"$corpus/junk.ini"
printf '[Section]\r\nmixed=1\rnot a line\r\nk2=2\r\r\n\n' >"$corpus/lone_cr.ini"
printf '[\x83\x5d]\nk=bracket trail\n[\x83\x5c]\nk=yen trail\n[Section]\n\x83\x5c=so\n\x82\x60=fullwidth A\n' >"$corpus/double_byte.ini"
: >"$corpus/empty.ini"
printf '[Section]\n\x81\x40key\x81\x40=\x81\x40wide blanks\x81\x40\n\x1ck2\x1f=\x1d2\x1e\n' >"$corpus/other_blanks.ini"
printf '[Section]\nkey=before\x00after\nk=\x00\n' >"$corpus/nul_bytes.ini"
# Bytes outside the code page that survive the trip through Unicode (a lone lead byte before a
# line end does not: that difference is deliberate, see launcher/profile_file.h).
printf '[Section]\nkey=\x80\xa0\xfd\xfe\xff\nk=\xa1\xdf\n' >"$corpus/odd_bytes.ini"

# --- the script: reads, the launcher's three writes, edge writes, the same reads again
script=$work/script.txt
reads() {
    local s k
    for s in Section SECTION " Section " Other Next "[Section]" Missing $'\x83\x5d' $'\x83\x5c'; do
        for k in "$KIND" "$REPEAT" "$FILEKEY" key KEY " key " dup empty empty2 a long quoted \
                 q2 q3 q4 before k k2 mixed "no section" missing $'\x83\x5c' $'\x82\x81' $'\x82\x60'; do
            echo "R $(hex "$s") $(hex "$k") - 256"
        done
    done
    echo "R $(hex Section) $(hex long) - 10"
    echo "R $(hex Section) $(hex long) - 1"
    echo "R $(hex Section) $(hex quoted) - 256"
    echo "R $(hex Section) $(hex quoted) - 300"
    echo "R $(hex Section) $(hex quoted) - 301"
    echo "R $(hex Section) $(hex missing) $(hex 'default  ') 256"
    echo "R $(hex Section) $(hex missing) $(hex 'a default') 4"
}
{
    reads
    echo "W $(hex Section) $(hex "$KIND") $(hex 2)"
    echo "W $(hex Section) $(hex "$REPEAT") $(hex 0)"
    echo "W $(hex Section) $(hex "$FILEKEY") $(hex "$MUSIC")"
    reads
    echo "W $(hex Section) $(hex "$KIND") $(hex 2)"
    echo "W $(hex section) $(hex key) $(hex '  new value')"
    echo "W $(hex New) $(hex k) $(hex v)"
    echo "W $(hex Section) $(hex empty) -"
    reads
} >"$script"

# A script that changes nothing must leave the file's bytes alone.
same=$work/same.txt
echo "W $(hex Section) $(hex "$KIND") $(hex 2)" >"$same"

failures=0
compare() {  # compare <name> <script> [corpus file]
    local name=$1 script=$2 source=${3:-}
    local w=$work/win/$name o=$work/own/$name
    mkdir -p "$w" "$o"
    if [ -n "$source" ]; then cp "$source" "$w/Orveline.ini"; cp "$source" "$o/Orveline.ini"; fi
    "$ORVELINE_SOURCE/tests/wine/wine-run" "$win_runner" "Z:${w//\//\\}\\Orveline.ini" "Z:${script//\//\\}" \
        </dev/null >"$w.out" 2>"$w.err"
    tr -d '\r' <"$w.out" >"$w.values"
    "$own_runner" "$o/Orveline.ini" "$script" </dev/null >"$o.values" 2>"$o.err"
    local ok=1
    if ! cmp -s "$w.values" "$o.values"; then
        echo "FAIL $name: values differ (Windows calls < > ours)"
        paste -d'\n' <(grep -n . "$script") /dev/null | head -0
        diff <(paste "$script" "$w.values") <(paste "$script" "$o.values") | head -20
        ok=0
    fi
    if [ -f "$w/Orveline.ini" ] || [ -f "$o/Orveline.ini" ]; then
        if ! cmp -s "$w/Orveline.ini" "$o/Orveline.ini"; then
            echo "FAIL $name: file bytes differ (Windows calls < > ours)"
            diff <(od -An -c "$w/Orveline.ini" 2>&1) <(od -An -c "$o/Orveline.ini" 2>&1) | head -20
            ok=0
        fi
    fi
    if [ "$ok" = 1 ]; then
        echo "ok   $name ($(wc -l <"$o.values") results)"
    else
        failures=$((failures + 1))
    fi
}

compare missing_file "$script"
for f in "$corpus"/*.ini; do
    name=$(basename "$f" .ini)
    compare "$name" "$script" "$f"
    compare "$name-unchanged" "$same" "$f"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures comparison(s) failed"
    exit 1
fi
echo "all comparisons agree"
