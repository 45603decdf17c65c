#!/usr/bin/env bash
# The Debian package: `--target package` makes orveline_<version>_amd64.deb; it holds the
# programs, the command, the XScreenSaver hack and description, the desktop files, the icon, the
# manual page, the copyright, and the idle watcher's user unit and autostart entry; its
# dependencies name the libraries and the Japanese font; and lintian finds no error in it.
# Leaves the package in the build tree for the daemon test.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
: "${ORVELINE_BUILD:?}"
command -v lintian >/dev/null || fail "lintian is not installed"

rm -f "$ORVELINE_BUILD"/orveline_*_amd64.deb
cmake --build "$ORVELINE_BUILD" --target package >"$ORVELINE_BUILD/package.log" 2>&1 ||
    fail "the package does not build: $(tail -n 20 "$ORVELINE_BUILD/package.log")"
deb=$(ls "$ORVELINE_BUILD"/orveline_*_amd64.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "no orveline_<version>_amd64.deb in $ORVELINE_BUILD"
log "built $(basename "$deb")"

listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in usr/bin/orveline usr/lib/orveline/Orveline.scr usr/lib/orveline/Orveline.dll \
    usr/libexec/xscreensaver/orveline usr/share/xscreensaver/config/orveline.xml \
    usr/share/applications/screensavers/orveline.desktop \
    usr/share/applications/orveline-settings.desktop \
    usr/share/icons/hicolor/32x32/apps/orveline.png usr/share/man/man1/orveline.1.gz \
    usr/share/doc/orveline/copyright usr/lib/systemd/user/orveline-idle.service \
    usr/share/orveline/orveline-idle.desktop; do
    grep -qx "./$path" <<<"$listing" || fail "the package lacks /$path"
done
depends=$(dpkg-deb -f "$deb" Depends)
for need in "fonts-ipafont-gothic | fonts-noto-cjk" libqt6widgets6 libsdl2-mixer libx11-6; do
    grep -qF "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done

lintian --tag-display-limit 0 "$deb" >"$ORVELINE_BUILD/lintian.log" 2>&1
cat "$ORVELINE_BUILD/lintian.log"
grep -q '^E:' "$ORVELINE_BUILD/lintian.log" && fail "lintian reports errors"
log "passed: lintian shows $(grep -c '^E:' "$ORVELINE_BUILD/lintian.log") errors," \
    "$(grep -c '^W:' "$ORVELINE_BUILD/lintian.log") warnings"
