# Shared set-up of the end-to-end tests: an Xvfb of their own, the real binary
# with a private settings folder, and helpers that click like a user.
set -euo pipefail

TMP=$(mktemp -d)
export XDG_CONFIG_HOME="$TMP/config"
export XDG_DATA_HOME="$TMP/data"
export XDG_RUNTIME_DIR="$TMP/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
XVFB_PID=""
APP_PID=""
# Height of the menu bar above the client area, in pixels.
MENU_H=${MENU_H:-18}

cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$TMP"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

start_xvfb() {
  local size=${1:-1280x800x24}
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 "$size" -noreset -nolisten tcp >"$TMP/xvfb.log" 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
      done
      kill "$XVFB_PID" 2>/dev/null || true
    fi
  done
  fail "no Xvfb display could be started"
}

# wait_window NAME SECONDS: the first visible window whose name matches NAME,
# waiting at most SECONDS. It polls: xdotool's --sync gives up at once when a
# window it is looking at closes under it (a dialog going away).
wait_window() {
  local id end=$((SECONDS + $2))
  while [ $SECONDS -le $end ]; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# start_tintra BINARY [working folder [window title pattern]]
# RUN_AS, an array, is a command prefix to start it with (another user);
# APP_ARGS, an array, the program's arguments.
start_tintra() {
  [ -n "${DISPLAY:-}" ] && [ -n "$XVFB_PID" ] || start_xvfb
  local dir=${2:-$TMP}
  local bin
  bin=$(readlink -f "$1")
  (cd "$dir" && exec ${RUN_AS[@]+"${RUN_AS[@]}"} "$bin" ${APP_ARGS[@]+"${APP_ARGS[@]}"}) >"$TMP/app.log" 2>&1 &
  APP_PID=$!
  WIN=$(wait_window "${3:-^Tintra - }" 20) ||
    { cat "$TMP/app.log" >&2; fail "the main window did not appear (${3:-^Tintra - })"; }
  xdotool windowfocus --sync "$WIN" 2>/dev/null || true
  sleep 0.3
}

# click_at X Y [SCALE]: a left click at a point of the main window's client
# area, given in pixels at scale factor 1.
click_at() {
  local scale=${3:-1}
  local x y
  x=$(awk -v v="$1" -v s="$scale" 'BEGIN { printf "%d", v * s }')
  y=$(awk -v v="$2" -v m="$MENU_H" -v s="$scale" 'BEGIN { printf "%d", (v + m) * s }')
  xdotool mousemove --window "$WIN" "$x" "$y" click 1
  sleep 0.2
}

# quit_via_menu: "Fil > Avslutt", and waits until the program has ended.
quit_via_menu() {
  xdotool key alt+f
  sleep 0.3
  xdotool key a
  for _ in $(seq 100); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  ! kill -0 "$APP_PID" 2>/dev/null || fail "Avslutt did not end the program"
  APP_PID=""
}

# The file dialogs' titles, and the title of the program's message boxes.
OPEN_TITLE='^Åpne$'
SAVE_TITLE='^Lagre som$'
BOX_TITLE='^Tintra$'

# dismiss WINDOW_PATTERN WHAT [KEY]: the window (a dialog or message box) is
# shown within 60 s; KEY (Return unless given) answers it.
dismiss() {
  local id
  id=$(wait_window "$1" 60) || { cat "$TMP/app.log" >&2; fail "$2: no window '$1'"; }
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  sleep 0.3
  xdotool key "${3:-Return}"
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "$2: the window '$1' stays"
}

expect_clipboard() {
  local got
  got=$(timeout 2 xclip -o -selection clipboard 2>/dev/null || true)
  [ "$got" = "$1" ] || fail "clipboard holds '$got', expected '$1'"
}

pass() {
  echo "PASS"
  exit 0
}
