# Helpers shared by the launcher's end-to-end scripts (sourced):
#   source "$(dirname "${BASH_SOURCE[0]}")/../e2e_helpers.sh"
#
#   fail <message>                   report and end the test with failure
#   log <message>                    a line with the time of day to the millisecond
#   now_ms                           milliseconds since the epoch
#   skip_unless_built <program> <what>
#                                    exit 77 (skipped) when the Linux build's program is missing

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
log() { echo "[$(date +%T.%N | cut -c1-12)] $*"; }
now_ms() { date +%s%3N; }

skip_unless_built() {
    if [ ! -x "$1" ]; then
        echo "SKIP: no Linux $2 at $1 (build the linux preset first)"
        exit 77
    fi
}
