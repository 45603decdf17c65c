#!/usr/bin/env bash
# Orveline.dll is a static Windows GUI program of the build's architecture that carries its icon group 7002 (one
# 32 x 32, 16-colour image) and the description string 1 "Tidewake (OpenGL)".
source "$ORVELINE_SOURCE/tests/wine/lib.sh"
renderer="$ORVELINE_DIST/Orveline.dll"
[ -f "$renderer" ] || fail "no $renderer"

if [ "$WIN_ARCH" = win64 ]; then
    headers=$(x86_64-w64-mingw32-objdump -p "$renderer")
    grep -q 'file format pei-x86-64' <<<"$headers" || fail "not a PE32+ x86-64 file"
else
    headers=$(i686-w64-mingw32-objdump -p "$renderer")
    grep -q 'file format pei-i386' <<<"$headers" || fail "not a PE32 i386 file"
fi
grep -qE '^Subsystem\s+0+2\s' <<<"$headers" || fail "not a GUI program"
# Only the system's own libraries: no MinGW runtime beside the program.
dlls=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$headers" | sort -u | tr '\n' ' ')
for dll in $dlls; do
    case $dll in
        kernel32.dll | user32.dll | gdi32.dll | opengl32.dll | glu32.dll | msvcrt.dll | winmm.dll | \
            advapi32.dll | api-ms-win-*) ;;
        *) fail "depends on $dll" ;;
    esac
done
for dll in opengl32.dll glu32.dll gdi32.dll user32.dll; do
    grep -qw "$dll" <<<"$dlls" || fail "does not link $dll ($dlls)"
done

report=$(win_tool resources "Z:$renderer" | tr -d '\r')
echo "$report"
expected="icon-groups 1
icon-group 7002 images 1
icon 32x32 colours 16 bits 4
icon 7002 loads yes
string 1 Tidewake (OpenGL)"
[ "$report" = "$expected" ] || fail "resources differ from what is expected"
