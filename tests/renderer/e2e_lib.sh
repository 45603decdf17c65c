# Helpers for the renderer's end-to-end tests on an X display (sourced by bash scripts).
# Every process started through e2e_spawn is killed when the script ends; a display is started
# when none is set, so a script also runs by hand outside scripts/test.

E2E_PIDS=()
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/orveline-e2e.XXXXXX")
E2E_NAME=$(basename "$0" .sh)

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

e2e_fail() {
  echo "FAIL ($E2E_NAME): $*" >&2
  # Keep the screenshots of a failed run to look at.
  if compgen -G "$E2E_TMP/*.png" >/dev/null; then
    local keep=${ORVELINE_BUILD:-/tmp}/e2e-artifacts/$E2E_NAME
    mkdir -p "$keep" && cp "$E2E_TMP"/*.png "$keep"/ && echo "screenshots kept in $keep" >&2
  fi
  exit 1
}

e2e_note() { echo "[$E2E_NAME] $*"; }

# e2e_keep <file>: keeps a picture to look at in <build>/e2e-artifacts/<test>/.
e2e_keep() {
  local keep=${ORVELINE_BUILD:-/tmp}/e2e-artifacts/$E2E_NAME
  mkdir -p "$keep" && cp "$1" "$keep"/
}

# Starts a private Xvfb when DISPLAY is unset.
e2e_ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local fd="$E2E_TMP/display"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$fd" 2>/dev/null &
  E2E_PIDS+=($!)
  local _
  for _ in $(seq 100); do [ -s "$fd" ] && break; sleep 0.05; done
  [ -s "$fd" ] || e2e_fail "could not start Xvfb"
  export DISPLAY=":$(head -n1 "$fd")"
}

# e2e_spawn <command...>: starts it in the background; its pid is in E2E_LAST_PID.
e2e_spawn() {
  "$@" &
  E2E_LAST_PID=$!
  E2E_PIDS+=("$E2E_LAST_PID")
}

e2e_now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
e2e_ms() { awk -v s="$1" 'BEGIN { printf "%d", s * 1000 }'; }

# e2e_wait_window <exact title> <seconds>: prints the first matching window id, or fails.
e2e_wait_window() {
  local title=$1 id=""
  local deadline=$(( $(e2e_now_ms) + $(e2e_ms "$2") ))
  while [ "$(e2e_now_ms)" -lt "$deadline" ]; do
    id=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}

# e2e_window_gone <exact title>: true when no window has that title.
e2e_window_gone() { [ -z "$(xdotool search --name "^${1}\$" 2>/dev/null)" ]; }

# e2e_wait_exit <pid> <seconds>: waits for the process and sets E2E_RC to its exit code; false
# on timeout. Call it directly, not in $(...): only this shell can collect its children.
e2e_wait_exit() {
  local pid=$1
  local deadline=$(( $(e2e_now_ms) + $(e2e_ms "$2") ))
  while e2e_running "$pid"; do
    [ "$(e2e_now_ms)" -ge "$deadline" ] && return 1
    sleep 0.05
  done
  wait "$pid"
  E2E_RC=$?
}

# e2e_running <pid>: the process exists and is not a zombie.
e2e_running() {
  kill -0 "$1" 2>/dev/null && [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" != Z ]
}

# e2e_shot <name>: screenshot of the whole screen into $E2E_TMP/<name>.png; prints the path.
e2e_shot() {
  local file="$E2E_TMP/$1.png"
  import -window root "$file" 2>/dev/null || e2e_fail "screenshot failed"
  echo "$file"
}

# e2e_fraction <png> <im-args...>: mean of the image after the given operators (0..1).
e2e_fraction() {
  local file=$1; shift
  convert "$file" "$@" -format '%[fx:mean]' info: 2>/dev/null
}

# e2e_differing_pixels <a.png> <b.png>: how many pixels differ.
e2e_differing_pixels() {
  compare -metric AE "$1" "$2" null: 2>&1 | sed 's/ .*//' | awk '{ printf "%d", $1 }'
}

# e2e_float_ge <a> <b>: a >= b for decimal numbers.
e2e_float_ge() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }
