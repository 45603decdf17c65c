#!/usr/bin/env bash
# Runs scripts of private-profile reads and writes over settings files, once through the Windows
# calls (profile_runner.exe under Wine) and once through our own file code (the Linux build's
# profile_runner), and compares the values read and the files' bytes afterwards. The cases: a
# corpus of tricky files with a script of wide reads and edge writes, and several hundred
# generated files with scripts of the launcher's own use (profile_cases.py), all in one start of
# each runner.
#   profile_compare.sh <windows runner.exe> <linux runner>
# Environment:
#   PROFILE_COMPARE_SEED    seed of the generated cases (default: a new one each run; printed)
#   PROFILE_COMPARE_COUNT   how many cases to generate (default 400)
#   PROFILE_COMPARE_CASE    generate that one case of the seed alone (to replay a failure)
# Exits 77 (skipped) when the Linux runner is not built.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
win_runner=$1
own_runner=$2
skip_unless_built "$own_runner" profile_runner
: "${ORVELINE_SOURCE:?}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
e2e_at_exit 'rm -rf "$work"'
seed=${PROFILE_COMPARE_SEED:-$((RANDOM * 32768 + RANDOM))}
count=${PROFILE_COMPARE_COUNT:-400}
only=${PROFILE_COMPARE_CASE:-}

hex() {  # the bytes of $1 in hex, "-" for none; no program started
    local text=$1 out="" i c LC_ALL=C
    [ -n "$text" ] || { printf -- '-'; return; }
    for ((i = 0; i < ${#text}; i++)); do
        printf -v c '%02x' "'${text:i:1}"
        out+=${c: -2}
    done
    printf '%s' "$out"
}

# Keys as code-page-932 bytes.
KIND=$'BGM\x8b\xe6\x95\xaa'
REPEAT=$'BGM\xd8\xcb\xdf\xb0\xc4'
FILEKEY=$'BGM\xcc\xa7\xb2\xd9'
MUSIC=$'C:\\\x89\xb9\x8a\x79\\a.mp3'   # C:\音楽\a.mp3

# --- the corpus
corpus=$work/corpus
cases=$work/cases
mkdir -p "$corpus" "$cases"
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
printf '[ Section]\r\nkey=1\r\n[  Other  ]\r\nx=2\r\n[\tNext\t]\r\nk=3\r\n' >"$corpus/section_blanks.ini"
# Bytes outside the code page that survive the trip through Unicode (a lone lead byte before a
# line end does not: that difference is deliberate, see launcher/profile_file.h).
printf '[Section]\nkey=\x80\xa0\xfd\xfe\xff\nk=\xa1\xdf\n' >"$corpus/odd_bytes.ini"

# --- the script: reads, the launcher's three writes, edge writes, the same reads again
script=$work/script.txt
reads() {
    local s k section
    local -a keys=()
    for k in "$KIND" "$REPEAT" "$FILEKEY" key KEY " key " dup empty empty2 a long quoted \
             q2 q3 q4 before k k2 mixed "no section" missing $'\x83\x5c' $'\x82\x81' $'\x82\x60'; do
        keys+=("$(hex "$k")")
    done
    for s in Section SECTION " Section " Other Next "[Section]" Missing $'\x83\x5d' $'\x83\x5c'; do
        section=$(hex "$s")
        for k in "${keys[@]}"; do echo "R $section $k - 256"; done
    done
    echo "R $(hex Section) $(hex long) - 10"
    echo "R $(hex Section) $(hex long) - 1"
    echo "R $(hex Section) $(hex quoted) - 256"
    echo "R $(hex Section) $(hex quoted) - 300"
    echo "R $(hex Section) $(hex quoted) - 301"
    echo "R $(hex Section) $(hex missing) $(hex 'default  ') 256"
    echo "R $(hex Section) $(hex missing) $(hex 'a default') 4"
}
all_reads=$(reads)
{
    echo "$all_reads"
    echo "W $(hex Section) $(hex "$KIND") $(hex 2)"
    echo "W $(hex Section) $(hex "$REPEAT") $(hex 0)"
    echo "W $(hex Section) $(hex "$FILEKEY") $(hex "$MUSIC")"
    echo "$all_reads"
    echo "W $(hex Section) $(hex "$KIND") $(hex 2)"
    echo "W $(hex section) $(hex key) $(hex '  new value')"
    echo "W $(hex New) $(hex k) $(hex v)"
    echo "W $(hex Section) $(hex empty) -"
    echo "$all_reads"
} >"$script"

# A script that changes nothing must leave the file's bytes alone.
same=$work/same.txt
echo "W $(hex Section) $(hex "$KIND") $(hex 2)" >"$same"

# --- the cases: <name>.script over <name>.ini (no .ini: the file is missing)
if [ -z "$only" ]; then
    cp "$script" "$cases/c_missing_file.script"
    for f in "$corpus"/*.ini; do
        name=c_$(basename "$f" .ini)
        cp "$f" "$cases/$name.ini"
        cp "$script" "$cases/$name.script"
        cp "$f" "$cases/$name-unchanged.ini"
        cp "$same" "$cases/$name-unchanged.script"
    done
fi
python3 "$here/profile_cases.py" "$seed" "$count" "$cases" $only || fail "cannot generate the cases"
echo "generated cases: seed $seed ($([ -n "$only" ] && echo "case $only" || echo "$count cases"))"

all=$work/all.txt
awk 'FNR == 1 { name = FILENAME; sub(/.*\//, "", name); sub(/\.script$/, ".ini", name); print "F " name }
     { print }' "$cases"/*.script >"$all"
for side in win own; do
    mkdir -p "$work/$side"
    cp "$cases"/*.ini "$work/$side/" 2>/dev/null
done
w=$work/win
"$ORVELINE_SOURCE/tests/wine/wine-run" "$win_runner" "Z:${w//\//\\}\\" "Z:${all//\//\\}" \
    </dev/null 2>"$work/win.err" | tr -d '\r' >"$work/win.out"
"$own_runner" "$work/own/" "$all" </dev/null >"$work/own.out" 2>"$work/own.err"
[ "$(grep -c '^F ' "$work/win.out")" -eq "$(grep -c '^F ' "$all")" ] ||
    fail "the Windows runner did not get through the cases: $(head -c 500 "$work/win.err")"

# One file of results per case and side.
for side in win own; do
    mkdir -p "$work/$side.values"
    awk -v dir="$work/$side.values" '/^F /{if (f) close(f); f = dir "/" $2; next} {print > f}' \
        "$work/$side.out"
done

# The cases whose values or files differ; most runs have none, and then nothing more is forked.
differing=$({
    diff -rq "$work/win.values" "$work/own.values"
    diff -rq "$work/win" "$work/own"
} 2>&1 | sed -n 's|^Files .*/\([^/]*\)\.ini and .* differ$|\1|p; s|^Only in .*: \(.*\)\.ini$|\1|p' |
    sort -u)
failures=0
for name in $differing; do
    failures=$((failures + 1))
    case $name in
        r*) replay="replay: PROFILE_COMPARE_SEED=$seed PROFILE_COMPARE_CASE=${name##*_}" ;;
        *) replay="from the corpus" ;;
    esac
    echo "FAIL $name: values or file bytes differ (Windows calls < > ours); $replay"
    [ "$failures" -le 5 ] || continue
    if [ -f "$cases/$name.ini" ]; then
        echo "  file before:"
        od -An -c "$cases/$name.ini" | head -20
    else
        echo "  no file before"
    fi
    s=$cases/$name.script
    diff <(paste "$s" "$work/win.values/$name.ini" 2>&1) <(paste "$s" "$work/own.values/$name.ini" 2>&1) | head -20
    diff <(od -An -c "$work/win/$name.ini" 2>&1) <(od -An -c "$work/own/$name.ini" 2>&1) | head -20
done

total=$(grep -c '^F ' "$all")
if [ "$failures" -ne 0 ]; then
    echo "$failures of $total cases differ (seed $seed)"
    exit 1
fi
echo "all $total cases agree (seed $seed)"
