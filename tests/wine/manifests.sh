#!/usr/bin/env bash
# Both programs carry an application manifest, read here through the system's own activation
# context: Windows Vista to 10/11 as supported systems (else Windows runs them in compatibility
# behaviour); per-monitor DPI awareness for the renderer, so that a scaled display gets its own
# pixels; none for the launcher, whose forms are laid out for 96 dpi and scaled by the system.
source "$ORVELINE_SOURCE/tests/wine/lib.sh"
systems="supportedOS Vista 7 8 8.1 10 (5 listed)"

check() {  # check <program> <expected report>
    local report
    [ -f "$ORVELINE_DIST/$1" ] || fail "no $ORVELINE_DIST/$1"
    report=$(win_tool manifest "Z:$ORVELINE_DIST/$1") || fail "$1: $report"
    printf '%s:\n%s\n' "$1" "$report"
    [ "$report" = "$2" ] || fail "$1: the manifest differs from what is expected"
}
check Orveline.dll "dpiAware true/pm
dpiAwareness PerMonitorV2, PerMonitor
$systems"
check Orveline.scr "dpiAware false
dpiAwareness (none)
$systems"
