#!/usr/bin/env bash
# The renderer watch on a desktop crowded with windows (openbox, 150 application windows of 5
# child windows each): the launcher stays below 2 % of a core during a run and ends within 300 ms
# of the renderer. tools/measure_watch_cost.sh measures it on an Xvfb of its own.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/display.sh"
: "${ORVELINE_SOURCE:?}" "${ORVELINE_BUILD:?}"
out=$("$ORVELINE_SOURCE/tools/measure_watch_cost.sh" --counts 150 --seconds 4 --build "$ORVELINE_BUILD" 2>&1) ||
    fail "the measurement failed: $out"
log "$out"
cpu=$(sed -n 's/.*launcher cpu \([0-9.]*\) %.*/\1/p' <<<"$out")
gap=$(sed -n 's/.*exit \(-\{0,1\}[0-9]*\) ms.*/\1/p' <<<"$out")
awk -v c="$cpu" 'BEGIN { exit !(c != "" && c < 2) }' || fail "the watch costs ${cpu:-?} % of a core"
[ -n "$gap" ] && [ "$gap" -le 300 ] || fail "the launcher ended ${gap:-?} ms after the renderer"
log "passed"
