# End-to-end tests on a real Wayland desktop: a headless sway with a private
# D-Bus, PipeWire and the desktop portal (wlr and GTK back-ends), the program on Qt's wayland platform, keys by wtype
# and the clipboard by wl-paste. As root (sway refuses root) the session runs
# as WAYLAND_USER, with a /tmp of its own for the portal's fixed out.png. The
# test sets TOOLS (imgtool's folder) before calling same.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

WAYLAND_USER=${WAYLAND_USER:-nobody}
SESSION_ENV=() # the whole environment of every process in the session
SESSION_PIDS=() # what the session's start started, stopped last first
DESKTOP=""      # sway, gnome or kde once started
RUN_AS=()       # prefix that runs a command as the session's user
IN_NS=()        # prefix that runs a command in the session's mount namespace
NS_PID=""

# reap_stale_sessions: ends the sessions, and removes the folders, of tests
# that ended without cleaning up (killed by a ctest time-out).
reap_stale_sessions() {
  local d owner state
  for d in /tmp/tintra-wayland.*; do
    owner=$(cat "$d/owner" 2>/dev/null) && [ -n "$owner" ] || continue
    # Gone, or a zombie: the test has ended.
    state=$(cut -d' ' -f3 "/proc/$owner/stat" 2>/dev/null) || state=""
    case $state in "" | Z) ;; *) continue ;; esac
    kill_marked "TINTRA_WAYLAND_SESSION=$d"
    rm -rf "$d"
  done
}

# marked MARKER: the ids of the live processes whose environment holds MARKER.
marked() { grep -lzxF "$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true; }

# kill_marked MARKER: ends every process marked MARKER: TERM, then KILL.
kill_marked() {
  local pid marker=$1
  for pid in $(marked "$marker"); do kill "$pid" 2>/dev/null || true; done
  poll 2 eval '[ -z "$(marked "$marker")" ]' && return 0
  for pid in $(marked "$marker"); do kill -9 "$pid" 2>/dev/null || true; done
}

reap_stale_sessions
SESSION=$(mktemp -d /tmp/tintra-wayland.XXXXXX)
echo $$ >"$SESSION/owner.new" && mv "$SESSION/owner.new" "$SESSION/owner"
# Every process of the session carries this variable: the clean-up finds what
# the session started on its own (D-Bus activation, swaybg) and nothing else.
MARKER="TINTRA_WAYLAND_SESSION=$SESSION"

cleanup() {
  local rc=$? i
  trap - EXIT
  stop_tintra
  for ((i = ${#SESSION_PIDS[@]} - 1; i >= 0; i--)); do
    stop_pid "${SESSION_PIDS[i]}"
  done
  kill_marked "$MARKER"
  [ -z "$NS_PID" ] || stop_pid "$NS_PID"
  rm -rf "$SESSION" "$TMP"
  exit "$rc"
}
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
  # The namespace's /tmp is $SESSION/tmp, with the session folder mounted
  # back at its own path; a process holds the namespace open.
  mkdir "$SESSION/tmp/${SESSION##*/}"
  env "$MARKER" unshare --mount --propagation private -- sh -c '
    mount --bind "$1" "$1/tmp/${1##*/}" && mount --rbind "$1/tmp" /tmp &&
      touch "$1/namespace-ready" && exec sleep 86400' sh "$SESSION" \
    >"$SESSION/log/namespace.log" 2>&1 &
  NS_PID=$!
  poll 5 eval '[ -e "$SESSION/namespace-ready" ] || ! kill -0 "$NS_PID" 2>/dev/null' || true
  if [ -e "$SESSION/namespace-ready" ]; then
    IN_NS=(nsenter --target "$NS_PID" --mount --wd="$SESSION/work" --)
    SESSION_TMP="$SESSION/tmp"
  else
    echo "note: no mount namespace here ($(cat "$SESSION/log/namespace.log")); the session shares /tmp" >&2
    NS_PID=""
  fi
fi

# show_logs (on failure): the end of every log of the session, and on sway
# the names and focus in its window tree.
show_logs() {
  local f
  for f in "$SESSION"/log/*.log; do
    [ ! -s "$f" ] || { echo "----- ${f##*/}" >&2; tail -n 40 "$f" >&2; }
  done
  [ "${DESKTOP:-}" != sway ] || in_session swaymsg -t get_tree 2>&1 |
    grep -E '"(name|app_id|focused)"|rror' >&2 || true
}

# in_session CMD...: runs CMD as the session's user, in its namespace, with
# the session's environment and nothing else, from $SESSION/work.
in_session() {
  (cd "$SESSION/work" && exec ${IN_NS[@]+"${IN_NS[@]}"} ${RUN_AS[@]+"${RUN_AS[@]}"} env -i "${SESSION_ENV[@]}" "$@")
}

# start_in_session LOG CMD...: in_session in the background, its output in
# $SESSION/log/LOG.log. $! is CMD's own process: each step execs the next.
start_in_session() {
  local log="$SESSION/log/$1.log"
  shift
  (cd "$SESSION/work" && exec ${IN_NS[@]+"${IN_NS[@]}"} ${RUN_AS[@]+"${RUN_AS[@]}"} env -i "${SESSION_ENV[@]}" "$@") >"$log" 2>&1 &
}

# service LOG BUSNAME CMD...: CMD in the session, up once BUSNAME has an owner.
service() {
  local log=$1 name=$2 pid
  shift 2
  start_in_session "$log" "$@"
  pid=$!
  SESSION_PIDS+=("$pid")
  poll 30 bus_has "$name" || { alive "$pid" "$log"; fail "$log did not take the bus name $name"; }
}

bus_has() { # bus_has NAME: NAME has an owner on the session bus
  in_session dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# session_env [NAME=VALUE...]: SESSION_ENV becomes the user's plain
# environment, the session's folders, buses and marker, and the arguments.
session_env() {
  SESSION_ENV=("HOME=$SESSION/home" "USER=$WAYLAND_USER" "PATH=/usr/local/bin:/usr/bin:/bin"
    "LANG=C.UTF-8" "XDG_RUNTIME_DIR=$SESSION/runtime" "XDG_CONFIG_HOME=$SESSION/config"
    "XDG_CACHE_HOME=$SESSION/home/.cache" "XDG_DATA_HOME=$SESSION/home/.local/share"
    "DBUS_SESSION_BUS_ADDRESS=unix:path=$SESSION/runtime/bus"
    "XDG_DESKTOP_PORTAL_DIR=$SESSION/portals" XDG_SESSION_TYPE=wayland "$MARKER" "$@")
}

# start_session_bus: the session bus; services it starts inherit the
# session's environment as it is now.
start_session_bus() {
  service dbus org.freedesktop.DBus dbus-daemon --session --nofork --nopidfile \
    --address="unix:path=$SESSION/runtime/bus"
}

# socket_service LOG SOCKET CMD...: CMD in the session, up once its socket
# SOCKET (in the runtime folder) is.
socket_service() {
  local log=$1 socket=$2 pid
  shift 2
  start_in_session "$log" "$@"
  pid=$!
  SESSION_PIDS+=("$pid")
  poll 10 test -S "$SESSION/runtime/$socket" || { alive "$pid" "$log"; fail "$log has no socket"; }
}

# start_system_bus: a bus of the session's own in the system bus's place
# (DBUS_SYSTEM_BUS_ADDRESS in SESSION_ENV): GNOME Shell ends at once without
# one, and the container has none.
start_system_bus() {
  socket_service system-bus system_bus dbus-daemon --session --nofork --nopidfile \
    --address="unix:path=$SESSION/runtime/system_bus"
}
start_pipewire() { socket_service pipewire pipewire-0 pipewire; } # the portals' screen casts need it

# start_portal DESKTOP NAME:BACKEND...: the desktop portal with only the
# named back-ends (their .portal files, used in DESKTOP), each started before
# it and up once it has its bus name.
start_portal() {
  local desktop=$1 pair name
  shift
  for pair in "$@"; do
    name=${pair%%:*}
    sed "s/^UseIn=.*/UseIn=$desktop/" "/usr/share/xdg-desktop-portal/portals/$name.portal" \
      >"$SESSION/portals/$name.portal" || fail "no $name.portal"
    service "portal-$name" "org.freedesktop.impl.portal.desktop.$name" ${pair#*:}
  done
  service portal org.freedesktop.portal.Desktop /usr/libexec/xdg-desktop-portal --verbose
}

# start_wayland [WIDTHxHEIGHT]: a sway session with one output, HEADLESS-1,
# ready for a client.
start_wayland() {
  local pid socket
  # sway, headless, drawing with the CPU: no bar, no X server.
  printf 'xwayland disable\noutput HEADLESS-1 resolution %s\n' "${1:-1920x1080}" >"$SESSION/sway.conf"
  [ ${#RUN_AS[@]} -eq 0 ] || chown -R "$WAYLAND_USER" "$SESSION"
  session_env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1
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
  session_env "WAYLAND_DISPLAY=${socket##*/}" \
    "SWAYSOCK=$(compgen -G "$SESSION/runtime/sway-ipc.*.sock" | head -1)" \
    XDG_CURRENT_DESKTOP=sway XDG_SESSION_DESKTOP=sway
  DESKTOP=sway
  poll 10 quiet in_session swaymsg -t get_outputs || fail "sway does not answer on its socket"

  # A keyboard for the whole session: were each wtype's own the only one, Qt
  # would lose the keyboard focus between two key sequences (closing menus).
  start_in_session keyboard wtype -s 86400000 -k F24
  SESSION_PIDS+=("$!")

  start_session_bus
  # The wlr portal back-end ends at once without PipeWire.
  start_pipewire
  start_portal sway "wlr:/usr/libexec/xdg-desktop-portal-wlr -l DEBUG" \
    "gtk:/usr/libexec/xdg-desktop-portal-gtk --verbose"
}

# same A B: both pictures have the same pixels.
same() { QT_QPA_PLATFORM=offscreen "$TOOLS/imgtool" same "$1" "$2" 2>/dev/null; }

tintra_settings() { # tintra_settings KEY=VALUE...: as settings, for the session's user
  settings "$@"
  [ ${#RUN_AS[@]} -eq 0 ] || chown -R "$WAYLAND_USER" "$XDG_CONFIG_HOME"
}

# clipboard: the clipboard's text, no line end added (expect_clipboard's).
clipboard() { in_session timeout 5 wl-paste -n 2>/dev/null || true; }
