# The end-to-end tests' own Xvfb, the real binary with private settings, and
# helpers that act like a user (those before start_xvfb serve wayland_lib.sh).
set -euo pipefail

TMP=$(mktemp -d)
export XDG_CONFIG_HOME="$TMP/config" XDG_DATA_HOME="$TMP/data" XDG_RUNTIME_DIR="$TMP/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
XVFB_PID="" APP_PID="" WIN=""
MENU_H=${MENU_H:-18} # height of the menu bar above the client area, in pixels

cleanup() {
  stop_tintra
  [ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$TMP"
}
trap cleanup EXIT

show_logs() { [ ! -s "$TMP/app.log" ] || tail -n 40 "$TMP/app.log" >&2; }
fail() { echo "FAIL: $*" >&2; show_logs; exit 1; }
pass() { echo "PASS"; exit 0; }
quiet() { "$@" >/dev/null 2>&1; }

# poll SECONDS CMD...: runs CMD every 0.1 s until it succeeds or SECONDS pass.
poll() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do [ $SECONDS -le $end ] && sleep 0.1 || return 1; done
}

alive() { kill -0 "$1" 2>/dev/null || fail "$2 has ended"; } # alive PID NAME
gone() { ! kill -0 "$1" 2>/dev/null; }
stop_pid() { # stop_pid PID: TERM, then KILL after 3 s
  kill "$1" 2>/dev/null || return 0
  poll 3 gone "$1" || kill -9 "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
stop_tintra() { [ -z "$APP_PID" ] || stop_pid "$APP_PID"; APP_PID=""; }
# tintra_ended SECONDS: the program ends by itself in time, its status STATUS.
tintra_ended() {
  poll "$1" gone "$APP_PID" || return 1
  STATUS=0
  wait "$APP_PID" 2>/dev/null || STATUS=$?
  APP_PID=""
}

# settings KEY=VALUE...: the settings Tintra starts with, in place of any.
settings() {
  mkdir -p "$XDG_CONFIG_HOME/Tintra"
  { echo "[Tilpass]"; printf '%s\n' "$@"; } >"$XDG_CONFIG_HOME/Tintra/Tintra.conf"
}

# expect_clipboard TEXT [SECONDS]: the clipboard holds TEXT within SECONDS (5).
expect_clipboard() {
  local want=$1
  poll "${2:-5}" eval '[ "$(clipboard)" = "$want" ]' || fail "clipboard holds '$(clipboard | head -c 40)', expected '$1'"
}
clipboard() { timeout 1 xclip -o -selection clipboard 2>/dev/null || true; }

start_xvfb() {
  local size=${1:-1280x800x24}
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 "$size" -noreset -nolisten tcp >"$TMP/xvfb.log" 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      poll 5 quiet xdpyinfo && return 0
      kill "$XVFB_PID" 2>/dev/null || true
    fi
  done
  fail "no Xvfb display could be started"
}

# wait_window NAME SECONDS: the first visible window named so (polled: --sync quits).
wait_window() {
  local name=$1 id=""
  poll "$2" eval 'id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1); [ -n "$id" ]' &&
    echo "$id"
}

# focus [WINDOW]: the window (the main one unless given) takes the keyboard.
focus() { xdotool windowfocus --sync "${1:-$WIN}" 2>/dev/null || true; sleep 0.3; }
key() { focus && xdotool key "$@"; } # key KEY...: keys to the main window

# as_nobody FOLDER...: as root, run it as "nobody" (so permission bits hold).
as_nobody() {
  [ "$(id -u)" -eq 0 ] || return 0
  chmod 755 "$TMP"
  chown -R 65534:65534 "$@" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
  RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
}

# start_tintra BINARY [FOLDER [TITLE_PATTERN]], prefixed by RUN_AS, with APP_ARGS.
start_tintra() {
  [ -n "${DISPLAY:-}" ] && [ -n "$XVFB_PID" ] || start_xvfb
  local bin
  bin=$(readlink -f "$1")
  (cd "${2:-$TMP}" && exec ${RUN_AS[@]+"${RUN_AS[@]}"} "$bin" ${APP_ARGS[@]+"${APP_ARGS[@]}"}) >"$TMP/app.log" 2>&1 &
  APP_PID=$!
  WIN=$(wait_window "${3:-^Tintra - }" 20) || fail "the main window did not appear (${3:-^Tintra - })"
  focus
}

# click_at X Y [SCALE]: a left click in the main window's client area (pixels at scale 1).
click_at() {
  local xy
  xy=$(awk -v x="$1" -v y="$2" -v m="$MENU_H" -v s="${3:-1}" 'BEGIN { printf "%d %d", x * s, (y + m) * s }')
  xdotool mousemove --window "$WIN" $xy click 1
  sleep 0.2
}

# exit_answering KEY: "Fil > Avslutt", KEY answering its question.
exit_answering() { key alt+f && sleep 0.3 && xdotool key a && dismiss "$BOX_TITLE" "the exit question" "$1"; }
# quit_via_menu: "Fil > Avslutt", and waits until the program has ended.
quit_via_menu() {
  xdotool key alt+f && sleep 0.3 && xdotool key a
  tintra_ended 10 || fail "Avslutt did not end the program"
}

OPEN_TITLE='^Åpne$'
SAVE_TITLE='^Lagre som$'
BOX_TITLE='^Tintra$'

# dismiss WINDOW_PATTERN WHAT [KEY]: a window shows within 60 s; KEY (Return) answers it.
dismiss() {
  local id name=$1
  id=$(wait_window "$1" 60) || fail "$2: no window '$1'"
  focus "$id"
  xdotool key "${3:-Return}"
  poll 5 eval '! quiet xdotool search --onlyvisible --name "$name"' || fail "$2: the window '$1' stays"
}

# open_file PATH [KEY]: Ctrl+O (KEY answering the question), PATH typed; the
# caption names the file within 60 s (files of many MB).
open_file() {
  key ctrl+o
  [ -z "${2:-}" ] || dismiss "^Lagre$" "the question before Åpne" "$2"
  local id
  id=$(wait_window "$OPEN_TITLE" 10) || fail "$1: no Open dialog"
  focus "$id"
  xdotool type --delay 5 "$1"
  xdotool key Return
  WIN=$(wait_window "^Tintra - ${1##*/}\$" 60) || fail "$1 did not open"
}

# spar NAME: "Spar" puts the current colour on top of the list as NAME.
spar() {
  focus
  click_at 567 281
  wait_window "^Lagre farge$" 10 >/dev/null || fail "no name dialog"
  sleep 0.3
  xdotool type --delay 5 "$1"
  xdotool key Return
  sleep 0.5
}

# wait_for_still X Y: there, another window of the program's has the keyboard.
wait_for_still() {
  local root
  root=$(xwininfo -root -int | awk '/Window id/ { print $4 }')
  xdotool mousemove "$1" "$2"
  still_up() {
    eval "$(xdotool getmouselocation --shell)"
    [ "$WINDOW" != "$root" ] && [ "$WINDOW" != "$WIN" ] && [ "$(xdotool getwindowfocus)" = "$WINDOW" ]
  }
  poll 10 still_up || fail "the still copy did not appear"
}
