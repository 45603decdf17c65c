#!/bin/sh
# orveline: the screen saver for users, by words instead of screen-saver switches.
#   orveline                 run full screen (the /s start)
#   orveline settings        open the settings dialog (/c)
#   orveline preview ID      show the preview inside the X window ID (/p ID)
#   orveline --root          run inside a screen-saver daemon's window ($XSCREENSAVER_WINDOW)
#   orveline --window-id ID  the live picture inside the X window ID, without music
#   orveline --add-to-xscreensaver
#                            add "orveline --root" to your XScreenSaver list (~/.xscreensaver)
#   orveline --on-idle [SECONDS]
#                            start a full-screen run whenever the desktop is idle that long (600)
#   orveline --version       print the version
#   orveline /x ...          any screen-saver command line, passed on as it is
here=$(dirname "$(readlink -f "$0")")
scr="$here/Orveline.scr"
case "${1-}" in
    "" | run) exec "$scr" /s ;;
    settings | config) exec "$scr" /c ;;
    preview) exec "$scr" /p "${2-}" ;;
    -h | --help)
        sed -n '2,13s/^# \{0,1\}//p' "$0"
        exit 0 ;;
    *) exec "$scr" "$@" ;;
esac
