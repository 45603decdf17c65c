#!/usr/bin/env bash
# scripts/setup against a package system of shell functions on PATH (apt-get, dpkg, dpkg-query,
# sudo, locale): whatever is not marked missing counts as installed. A mirror in the middle of a
# sync fails the index update each time; setup still installs what is missing, and fails naming a
# package it cannot get. Where i386 programs do not run it asks for no ":i386" package; where they
# do and the 32-bit set cannot be installed, it says so, takes the architecture back and succeeds.
#   setup_test.sh <source folder>
set -u
source "$(dirname "${BASH_SOURCE[0]}")/display.sh"
setup="$1/scripts/setup"
fake=$E2E_TMP/bin
mkdir -p "$fake"
export PATH="$fake:$PATH" ORVELINE_SETUP_PAUSE=0 FAKE="$E2E_TMP"

cat >"$fake/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $*" >>"$FAKE/apt.log"
case " $* " in
*" update "*)
    echo "E: Failed to fetch http://deb.example/debian-security/dists/x-security/main/binary-i386/Packages.xz  File has unexpected size (90192 != 90084). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
*" install "*)
    for p in "$@"; do
        [[ $p == -* || $p == install ]] && continue
        grep -qx "$p" "$FAKE/unavailable" && { echo "E: Unable to locate package $p" >&2; exit 100; }
    done
    for p in "$@"; do sed -i "/^$p\$/d" "$FAKE/missing"; done ;;
esac
EOF
cat >"$fake/dpkg-query" <<'EOF'
#!/bin/bash
for p in "${@:3}"; do
    [[ $p == *:* ]] || p=$p:amd64
    grep -qx "${p%:amd64}" "$FAKE/missing" || echo "$p install ok installed"
done
EOF
cat >"$fake/dpkg" <<'EOF'
#!/bin/bash
echo "dpkg $*" >>"$FAKE/apt.log"
case $1 in
--print-architecture) echo amd64 ;;
--print-foreign-architectures) cat "$FAKE/arches" ;;
--add-architecture) echo "$2" >>"$FAKE/arches" ;;
--remove-architecture) sed -i "/^$2\$/d" "$FAKE/arches" ;;
esac
EOF
printf '#!/bin/bash\nexec "$@"\n' >"$fake/sudo"
printf '#!/bin/bash\necho ja_JP.utf8\n' >"$fake/locale"
chmod +x "$fake"/*

# run_setup <i386 loader> <missing...> [-- <unavailable...>]: exit code in rc, output in out
run_setup() {
    local loader=$1
    shift
    local f
    for f in apt.log arches missing unavailable; do : >"$FAKE/$f"; done
    local list="$FAKE/missing" p
    for p in "$@"; do
        [ "$p" = -- ] && { list="$FAKE/unavailable"; continue; }
        echo "$p" >>"$list"
        [ "$list" = "$FAKE/unavailable" ] && echo "$p" >>"$FAKE/missing"
    done
    out=$(ORVELINE_I386_LOADER=$loader bash "$setup" 2>&1)
    rc=$?
    log "setup (i386 loader $loader, missing $*) ended with $rc: $out"
}

# 1. Everything there: nothing asked of apt.
run_setup /nonexistent
[ $rc -eq 0 ] && ! grep -q apt-get "$FAKE/apt.log" || fail "with everything installed: $rc, $(cat "$FAKE/apt.log")"

# 2. 64-bit programs only, an index the mirror is still syncing, one package missing.
run_setup /nonexistent lame wine32:i386
[ $rc -eq 0 ] || fail "setup failed on a partial index update"
! grep -qx lame "$FAKE/missing" || fail "lame was not installed"
[ "$(grep -c 'apt-get.* update' "$FAKE/apt.log")" -ge 2 ] || fail "the index update was not retried"
[ "$(grep -c 'update failed for http://deb.example/.*/binary-i386/Packages.xz; going on' <<<"$out")" -eq 1 ] ||
    fail "no one line naming the index that failed"
! grep -q 'i386' "$FAKE/apt.log" || fail "asked for i386 on a 64-bit-only machine: $(cat "$FAKE/apt.log")"

# 3. A listed package the lists lack: setup fails, naming it.
run_setup /nonexistent -- lame
[ $rc -ne 0 ] && grep -qx "setup: cannot install lame" <<<"$out" ||
    fail "an install that cannot get a package did not fail naming it"

# 4. i386 programs run, but the 32-bit set cannot be installed: said, undone, not a failure.
run_setup /bin/true -- wine32:i386
[ $rc -eq 0 ] || fail "a failed 32-bit Wine step failed setup"
grep -q 'no 32-bit Wine; the Windows tests run the win64 build' <<<"$out" || fail "the 32-bit failure was not said"
grep -q 'dpkg --add-architecture i386' "$FAKE/apt.log" && [ ! -s "$FAKE/arches" ] ||
    fail "the i386 architecture was not added and taken back"
log "passed"
