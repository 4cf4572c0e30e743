# Shared set-up of the end-to-end tests on a real Wayland desktop: a headless
# sway of their own showing a picture of the test's choosing, a private D-Bus
# session bus, PipeWire and the desktop portal (the wlr back-end for
# screenshots, the GTK one for the Access interface the Screenshot front-end
# needs), the real binary on Qt's native wayland platform with a private
# settings folder, keys typed by wtype and the clipboard read by wl-paste.
#
# sway will not run as root, and CI runs as root: the session then runs as
# WAYLAND_USER (nobody), from copies in a folder of that user's, and in a
# mount namespace with a /tmp of its own, where the portal writes its
# screenshots (a fixed /tmp/out.png) without meeting another session's.
# Everything the session started is ended on exit, failure or not, and its
# folder removed. A session that does not come up fails the test, with its
# logs.
#
# The test sets TOOLS (the folder of imgtool) before calling same or
# wait_screen.
set -euo pipefail

WAYLAND_USER=${WAYLAND_USER:-nobody}
SESSION_ENV=() # the whole environment of every process in the session
SESSION_PIDS=() # what start_wayland started, stopped last first
APP_PID=""
RUN_AS=()       # prefix that runs a command as the session's user
IN_NS=()        # prefix that runs a command in the session's mount namespace
NS_PID=""

# reap_stale_sessions: a test killed outright (a ctest time-out) leaves its
# session running. Sessions whose test has ended are ended here, with their
# folders.
reap_stale_sessions() {
  local d owner state
  for d in /tmp/tintra-wayland.*; do
    # Another test's session may come or go meanwhile.
    owner=$(cat "$d/owner" 2>/dev/null) && [ -n "$owner" ] || continue
    # Gone, or a zombie its parent has yet to collect: the test has ended.
    state=$(cut -d' ' -f3 "/proc/$owner/stat" 2>/dev/null) || state=""
    case $state in "" | Z) ;; *) continue ;; esac
    kill_marked "TINTRA_WAYLAND_SESSION=$d"
    rm -rf "$d"
  done
}

# marked MARKER: the ids of the live processes whose environment holds
# MARKER.
marked() {
  grep -lzxF "$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true
}

# kill_marked MARKER: ends every process marked MARKER: TERM, then KILL.
kill_marked() {
  local pid
  for pid in $(marked "$1"); do kill "$pid" 2>/dev/null || true; done
  for _ in $(seq 20); do
    [ -n "$(marked "$1")" ] || return 0
    sleep 0.1
  done
  for pid in $(marked "$1"); do kill -9 "$pid" 2>/dev/null || true; done
}

stop_pid() { # stop_pid PID: TERM, then KILL after 3 s
  local pid=$1
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 30); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

reap_stale_sessions
SESSION=$(mktemp -d /tmp/tintra-wayland.XXXXXX)
echo $$ >"$SESSION/owner.new" && mv "$SESSION/owner.new" "$SESSION/owner"
# Every process of the session carries this variable, so the clean-up finds
# whatever the session started on its own (D-Bus activation, swaybg, the
# portal's screenshot helper) and nothing else.
MARKER="TINTRA_WAYLAND_SESSION=$SESSION"

cleanup() {
  local rc=$? i
  trap - EXIT
  [ -z "$APP_PID" ] || stop_pid "$APP_PID"
  for ((i = ${#SESSION_PIDS[@]} - 1; i >= 0; i--)); do
    stop_pid "${SESSION_PIDS[i]}"
  done
  kill_marked "$MARKER"
  [ -z "$NS_PID" ] || stop_pid "$NS_PID"
  rm -rf "$SESSION"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

mkdir -p "$SESSION"/{runtime,home,config,portals,bin,work,log,tmp}
chmod 700 "$SESSION/runtime"
chmod 1777 "$SESSION/tmp"
XDG_CONFIG_HOME="$SESSION/config"
# Where the session's /tmp is seen from the test (the portal's screenshots).
SESSION_TMP=/tmp

if [ "$(id -u)" -eq 0 ]; then
  RUN_AS=(setpriv --reuid="$(id -u "$WAYLAND_USER")" --regid="$(id -g "$WAYLAND_USER")"
          --clear-groups --inh-caps=-all --)
  chown -R "$WAYLAND_USER:$(id -g "$WAYLAND_USER")" "$SESSION"
  # The namespace's /tmp is $SESSION/tmp, and the session folder is mounted
  # back at its own path inside it. A process holds the namespace open.
  mkdir "$SESSION/tmp/${SESSION##*/}"
  env "$MARKER" unshare --mount --propagation private -- sh -c '
    mount --bind "$1" "$1/tmp/${1##*/}" && mount --rbind "$1/tmp" /tmp &&
      touch "$1/namespace-ready" && exec sleep 86400' sh "$SESSION" \
    >"$SESSION/log/namespace.log" 2>&1 &
  NS_PID=$!
  for _ in $(seq 50); do
    [ -e "$SESSION/namespace-ready" ] || ! kill -0 "$NS_PID" 2>/dev/null && break
    sleep 0.1
  done
  if [ -e "$SESSION/namespace-ready" ]; then
    IN_NS=(nsenter --target "$NS_PID" --mount --wd="$SESSION/work" --)
    SESSION_TMP="$SESSION/tmp"
  else
    echo "note: no mount namespace here ($(cat "$SESSION/log/namespace.log")); the session shares /tmp" >&2
    NS_PID=""
  fi
fi

# show_logs: the end of every log of the session, and sway's window tree
# (each node's type, name, application id, focus, full-screen state and
# visibility).
show_logs() {
  local f
  for f in "$SESSION"/log/*.log; do
    [ -s "$f" ] || continue
    echo "----- ${f##*/} (last 40 lines)" >&2
    tail -n 40 "$f" >&2
  done
  if [ ${#SESSION_ENV[@]} -gt 0 ] && [ -n "$(session_var SWAYSOCK)" ]; then
    echo "----- sway's window tree" >&2
    in_session swaymsg -t get_tree 2>&1 |
      grep -E '"(type|name|app_id|focused|fullscreen_mode|visible)"|rror' >&2 || true
  fi
}

fail() {
  echo "FAIL: $*" >&2
  show_logs
  exit 1
}

pass() {
  echo "PASS"
  exit 0
}

session_var() { # session_var NAME: the session's value of NAME
  local v
  for v in "${SESSION_ENV[@]}"; do
    [ "${v%%=*}" != "$1" ] || { echo "${v#*=}"; return 0; }
  done
}

# in_session CMD...: runs CMD as the session's user, in its namespace, with
# the session's environment and nothing else, from $SESSION/work.
in_session() {
  local cmd=(${IN_NS[@]+"${IN_NS[@]}"} ${RUN_AS[@]+"${RUN_AS[@]}"} env -i "${SESSION_ENV[@]}" "$@")
  (cd "$SESSION/work" && exec "${cmd[@]}")
}

# start_in_session LOG CMD...: in_session in the background, its output in
# $SESSION/log/LOG.log. $! is CMD's own process: each step execs the next.
start_in_session() {
  local log="$SESSION/log/$1.log"
  shift
  local cmd=(${IN_NS[@]+"${IN_NS[@]}"} ${RUN_AS[@]+"${RUN_AS[@]}"} env -i "${SESSION_ENV[@]}" "$@")
  (cd "$SESSION/work" && exec "${cmd[@]}") >"$log" 2>&1 &
}

# poll SECONDS CMD...: runs CMD every 0.1 s until it succeeds; fails after
# SECONDS.
poll() {
  local end=$((SECONDS + $1))
  shift
  while [ $SECONDS -le $end ]; do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

quiet() { "$@" >/dev/null 2>&1; }

alive() { # alive PID NAME: fails the test when PID has ended
  kill -0 "$1" 2>/dev/null || fail "$2 has ended"
}

bus_has() { # bus_has NAME: NAME has an owner on the session bus
  in_session dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# start_wayland [WIDTHxHEIGHT [BACKGROUND [SCALE]]]: the whole session, ready
# for a client: sway's one output HEADLESS-1 shows BACKGROUND (a picture;
# grey when none), at output scale SCALE (default 1).
start_wayland() {
  local size=${1:-1920x1080} background=${2:-} scale=${3:-1} pid socket name
  local user_env=(
    "HOME=$SESSION/home"
    "USER=$WAYLAND_USER"
    "PATH=/usr/local/bin:/usr/bin:/bin"
    "LANG=C.UTF-8"
    "XDG_RUNTIME_DIR=$SESSION/runtime"
    "XDG_CONFIG_HOME=$SESSION/config"
    "XDG_CACHE_HOME=$SESSION/home/.cache"
    "XDG_DATA_HOME=$SESSION/home/.local/share"
    "$MARKER"
  )

  # sway, headless, drawing with the CPU, with a configuration of our own:
  # one output, no bar, no X server.
  {
    echo "xwayland disable"
    echo "output HEADLESS-1 resolution $size scale $scale"
    if [ -n "$background" ]; then
      cp "$background" "$SESSION/background.png"
      echo "output HEADLESS-1 bg $SESSION/background.png fill"
    fi
  } >"$SESSION/sway.conf"
  [ ${#RUN_AS[@]} -eq 0 ] || chown -R "$WAYLAND_USER" "$SESSION"
  SESSION_ENV=("${user_env[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1)
  start_in_session sway sway -c "$SESSION/sway.conf"
  pid=$!
  SESSION_PIDS+=("$pid")
  sway_ready() {
    alive "$pid" sway
    quiet compgen -G "$SESSION/runtime/wayland-*[0-9]" &&
      quiet compgen -G "$SESSION/runtime/sway-ipc.*.sock"
  }
  poll 20 sway_ready || fail "sway did not start"
  socket=$(compgen -G "$SESSION/runtime/wayland-*[0-9]" | head -1)
  SESSION_ENV=("${user_env[@]}"
    "WAYLAND_DISPLAY=${socket##*/}"
    "SWAYSOCK=$(compgen -G "$SESSION/runtime/sway-ipc.*.sock" | head -1)"
    "XDG_CURRENT_DESKTOP=sway"
    "XDG_SESSION_TYPE=wayland"
    "XDG_SESSION_DESKTOP=sway"
    "DBUS_SESSION_BUS_ADDRESS=unix:path=$SESSION/runtime/bus"
    "XDG_DESKTOP_PORTAL_DIR=$SESSION/portals")
  poll 10 quiet in_session swaymsg -t get_outputs || fail "sway does not answer on its socket"

  # A virtual keyboard for the whole session, as a desktop always has one.
  # Each wtype's own keyboard goes when it ends; were it the only one, the
  # seat would lose its keyboard between two key sequences, and Qt its
  # keyboard focus, which closes an open menu.
  start_in_session keyboard wtype -s 86400000 -k F24
  SESSION_PIDS+=("$!")

  # The session bus. Services it starts on demand inherit its environment,
  # which is already the whole session's.
  start_in_session dbus dbus-daemon --session --nofork --nopidfile \
    --address="unix:path=$SESSION/runtime/bus"
  pid=$!
  SESSION_PIDS+=("$pid")
  poll 10 bus_has org.freedesktop.DBus || { alive "$pid" dbus-daemon; fail "the session bus does not answer"; }

  # PipeWire: the wlr portal back-end ends at once without it.
  start_in_session pipewire pipewire
  pid=$!
  SESSION_PIDS+=("$pid")
  poll 10 test -S "$SESSION/runtime/pipewire-0" || { alive "$pid" pipewire; fail "pipewire has no socket"; }

  # The portal, with our own list of back-ends: the wlr one and the GTK one,
  # each for sway.
  for name in wlr gtk; do
    sed 's/^UseIn=.*/UseIn=sway/' "/usr/share/xdg-desktop-portal/portals/$name.portal" \
      >"$SESSION/portals/$name.portal" || fail "no $name.portal"
  done
  start_in_session portal-wlr /usr/libexec/xdg-desktop-portal-wlr -l DEBUG
  pid=$!
  SESSION_PIDS+=("$pid")
  poll 10 bus_has org.freedesktop.impl.portal.desktop.wlr ||
    { alive "$pid" xdg-desktop-portal-wlr; fail "xdg-desktop-portal-wlr did not take its bus name"; }
  start_in_session portal-gtk /usr/libexec/xdg-desktop-portal-gtk --verbose
  pid=$!
  SESSION_PIDS+=("$pid")
  poll 10 bus_has org.freedesktop.impl.portal.desktop.gtk ||
    { alive "$pid" xdg-desktop-portal-gtk; fail "xdg-desktop-portal-gtk did not take its bus name"; }
  start_in_session portal /usr/libexec/xdg-desktop-portal --verbose
  pid=$!
  SESSION_PIDS+=("$pid")
  poll 10 bus_has org.freedesktop.portal.Desktop ||
    { alive "$pid" xdg-desktop-portal; fail "xdg-desktop-portal did not take its bus name"; }

  if [ -n "$background" ]; then
    wait_screen "$SESSION/background.png" 10 || fail "sway does not show the background picture"
  fi
}

# output_scale SCALE: the output at another scale (for the clients started
# after it); waits until the background shows again pixel for pixel.
output_scale() {
  in_session swaymsg output HEADLESS-1 scale "$1" >/dev/null || fail "sway refused scale $1"
  in_session swaymsg -t get_outputs | grep -q "\"scale\": $1" || fail "the output is not at scale $1"
  [ ! -e "$SESSION/background.png" ] || wait_screen "$SESSION/background.png" 10 ||
    fail "sway does not show the background picture at scale $1"
}

# grab FILE: the whole output, device pixels, as a PNG (grim).
grab() {
  in_session grim -t png "$SESSION/work/grab.png" && cp "$SESSION/work/grab.png" "$1"
}

# same A B: both pictures have the same pixels.
same() {
  QT_QPA_PLATFORM=offscreen "$TOOLS/imgtool" same "$1" "$2" 2>/dev/null
}

# wait_screen PICTURE SECONDS: waits until the output shows PICTURE pixel for
# pixel.
wait_screen() {
  screen_is() { quiet grab "$SESSION/screen.png" && same "$1" "$SESSION/screen.png"; }
  poll "$2" screen_is "$1"
}

# window_matches CRITERIA: sway has a window matching CRITERIA (sway's own
# syntax), e.g. 'title="^Tintra - "' or 'title="^Zoom" con_id=__focused__'.
window_matches() {
  in_session swaymsg "[$1] nop" >/dev/null 2>&1
}

# wait_window CRITERIA SECONDS
wait_window() {
  poll "$2" window_matches "$1"
}

# tintra_settings KEY=VALUE...: the settings Tintra starts with (section
# "Tilpass"), in place of any before.
tintra_settings() {
  mkdir -p "$XDG_CONFIG_HOME/Tintra"
  { echo "[Tilpass]"; printf '%s\n' "$@"; } >"$XDG_CONFIG_HOME/Tintra/Tintra.conf"
  [ ${#RUN_AS[@]} -eq 0 ] || chown -R "$WAYLAND_USER" "$XDG_CONFIG_HOME"
}

# start_tintra BINARY: the program on Qt's wayland platform, started in
# $SESSION/work; waits for its main window (title "Tintra - ...", or Qt's
# application id from the binary's name).
start_tintra() {
  cmp -s "$1" "$SESSION/bin/Tintra" || cp "$1" "$SESSION/bin/Tintra"
  [ ${#RUN_AS[@]} -eq 0 ] || chown "$WAYLAND_USER" "$SESSION/bin/Tintra"
  start_in_session tintra env QT_QPA_PLATFORM=wayland "$SESSION/bin/Tintra"
  APP_PID=$!
  main_window() {
    alive "$APP_PID" Tintra
    window_matches 'title="^Tintra - "' || window_matches 'app_id="^[Tt]intra$"'
  }
  poll 20 main_window || fail "Tintra's main window did not appear"
  # The window shows before the program has taken the keyboard in.
  sleep 0.5
}

# stop_tintra: ends the program (TERM) and waits for it.
stop_tintra() {
  [ -z "$APP_PID" ] || stop_pid "$APP_PID"
  APP_PID=""
}

# tintra_ended SECONDS: waits until the program has ended by itself.
tintra_ended() {
  poll "$1" eval '! kill -0 "$APP_PID" 2>/dev/null' || return 1
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

# keys WTYPE-ARGUMENTS...: one key sequence, e.g. keys -M alt f -m alt, or
# keys -k Right -k Return. It waits 300 ms before the first key, so that the
# compositor has taken in wtype's keyboard.
keys() {
  in_session wtype -s 300 "$@"
}

# clipboard: the clipboard's text, no line end added.
clipboard() {
  in_session timeout 5 wl-paste -n 2>/dev/null || true
}

# expect_clipboard TEXT: the clipboard comes to hold TEXT within 5 s (the
# selection reaches the compositor after the program has set it).
expect_clipboard() {
  local got end=$((SECONDS + 5))
  while :; do
    got=$(clipboard)
    [ "$got" != "$1" ] || return 0
    [ $SECONDS -le $end ] || fail "clipboard holds '$got', expected '$1'"
    sleep 0.2
  done
}
