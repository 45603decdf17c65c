# Shared by the measuring scripts in tools/: source it after making the folder $work.
#   measure_xvfb <Xvfb options...>   a private Xvfb on a free display (pid in $xvfb); exports
#                                   DISPLAY and the tag that marks the processes of this run
#   renderer_pids                   the renderers started by this run
#   has_window <title>              whether a window has exactly that title

measure_xvfb() {
    local fdfile="$work/display"
    Xvfb -displayfd 3 "$@" -nolisten tcp -noreset 3>"$fdfile" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$fdfile")"
    export ORVELINE_TEST_TAG="orveline-measure-$$"
}

renderer_pids() {
    local pid
    for pid in $(pgrep -f 'Orveline\.dll$'); do
        grep -qzx "ORVELINE_TEST_TAG=$ORVELINE_TEST_TAG" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
    done
}

has_window() { [ -n "$(xdotool search --name "^$1\$" 2>/dev/null | head -n1)" ]; }
