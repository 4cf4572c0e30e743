# End-to-end tests and bench rows on a headless sway, GNOME Shell or KWin with
# its own portal, private buses and PipeWire, the program on Qt's wayland
# platform. As root the session runs as WAYLAND_USER with a /tmp of its own
# (the wlr portal's fixed out.png). A desktop that cannot start here skips
# the test (status 77). The caller sets TOOLS (imgtool, desktoptool).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

WAYLAND_USER=${WAYLAND_USER:-nobody}
SESSION_ENV=() DESKTOP="" RUN_AS=() IN_NS=()
SCREENS=(all:0) # NAME:X of each screen: its left edge in the pattern (device pixels)

# Every process of a session carries its marker: the clean-up ends what the
# session started (D-Bus activation too), and a later test what a time-out left.
marked() { grep -lzxF "$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true; }
kill_marked() { # kill_marked MARKER: TERM, then KILL
  local pid marker=$1
  for pid in $(marked "$marker"); do kill "$pid" 2>/dev/null || true; done
  poll 2 eval '[ -z "$(marked "$marker")" ]' && return 0
  for pid in $(marked "$marker"); do kill -9 "$pid" 2>/dev/null || true; done
}
for d in /tmp/tintra-wayland.*; do
  owner=$(cat "$d/owner" 2>/dev/null) && [ -n "$owner" ] || continue
  case $(cut -d' ' -f3 "/proc/$owner/stat" 2>/dev/null) in "" | Z) ;; *) continue ;; esac
  kill_marked "TINTRA_WAYLAND_SESSION=$d"
  rm -rf "$d"
done
SESSION=$(mktemp -d /tmp/tintra-wayland.XXXXXX)
echo $$ >"$SESSION/owner.new" && mv "$SESSION/owner.new" "$SESSION/owner"
MARKER="TINTRA_WAYLAND_SESSION=$SESSION"

cleanup() {
  local rc=$?
  trap - EXIT
  stop_tintra
  kill_marked "$MARKER"
  rm -rf "$SESSION" "$TMP"
  exit "$rc"
}
trap 'exit 143' TERM
trap 'exit 130' INT

mkdir -p "$SESSION"/{runtime,home/Pictures,config,portals,bin,work,log,tmp,prefix/bin,prefix/share/applications,home/.local/share/applications}
chmod 700 "$SESSION/runtime"
chmod 1777 "$SESSION/tmp"
XDG_CONFIG_HOME="$SESSION/config"
SESSION_TMP=/tmp # the session's /tmp, as the test sees it
if [ "$(id -u)" -eq 0 ]; then
  RUN_AS=(setpriv --reuid="$(id -u "$WAYLAND_USER")" --regid="$(id -g "$WAYLAND_USER")"
    --clear-groups --inh-caps=-all --)
  # /tmp is $SESSION/tmp there, the session folder mounted back in it.
  mkdir "$SESSION/tmp/${SESSION##*/}"
  env "$MARKER" unshare --mount --propagation private -- sh -c '
    mount --bind "$1" "$1/tmp/${1##*/}" && mount --rbind "$1/tmp" /tmp &&
      touch "$1/namespace-ready" && exec sleep 86400' sh "$SESSION" >"$SESSION/log/namespace.log" 2>&1 &
  NS_PID=$!
  if poll 5 test -e "$SESSION/namespace-ready"; then
    IN_NS=(nsenter --target "$NS_PID" --mount --wd="$SESSION/work" --)
    SESSION_TMP="$SESSION/tmp"
  else
    echo "note: no mount namespace here ($(cat "$SESSION/log/namespace.log")); the session shares /tmp" >&2
  fi
fi

own() { [ ${#RUN_AS[@]} -eq 0 ] || chown -R "$WAYLAND_USER" "$@"; } # own FILE...: for the session's user

show_logs() { # on failure: the end of every log, and on sway its window tree
  local f
  for f in "$SESSION"/log/*.log; do
    [ ! -s "$f" ] || { echo "----- ${f##*/}" >&2; tail -n 40 "$f" >&2; }
  done
  [ "$DESKTOP" != sway ] || in_session swaymsg -t get_tree 2>&1 | grep -E '"(name|app_id|focused)"|rror' >&2 || true
}
skip() { echo "SKIP: $*" >&2; show_logs; exit 77; }

# in_session CMD...: CMD as the session's user, in its namespace, with only
# the session's environment; start_in_session LOG CMD... the same in the
# background, output in log/LOG.log, $! CMD's process.
in_session() {
  (cd "$SESSION/work" && exec ${IN_NS[@]+"${IN_NS[@]}"} ${RUN_AS[@]+"${RUN_AS[@]}"} env -i "${SESSION_ENV[@]}" "$@")
}
start_in_session() {
  local log="$SESSION/log/$1.log"
  shift
  (cd "$SESSION/work" && exec ${IN_NS[@]+"${IN_NS[@]}"} ${RUN_AS[@]+"${RUN_AS[@]}"} env -i "${SESSION_ENV[@]}" "$@") >"$log" 2>&1 &
}

# service LOG READY CMD...: CMD in the session, up once READY succeeds.
service() {
  local log=$1 ready=$2
  shift 2
  start_in_session "$log" "$@"
  local pid=$!
  poll 30 eval "$ready" || { alive "$pid" "$log"; fail "$log did not come up: $ready"; }
}
bus_has() { # bus_has NAME: NAME has an owner on the session bus
  in_session dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# start_session DESKTOP NAME=VALUE...: the session's environment with the
# arguments; the session bus, one in the system bus's place (GNOME Shell ends
# without) and PipeWire (the portals need it).
start_session() {
  DESKTOP=$1
  shift
  [ -z "${TOOLS:-}" ] || cp "$TOOLS/imgtool" "$TOOLS/desktoptool" "$SESSION/bin/" || fail "no tools in $TOOLS"
  own "$SESSION"
  SESSION_ENV=("HOME=$SESSION/home" "USER=$WAYLAND_USER" "PATH=$SESSION/prefix/bin:/usr/local/bin:/usr/bin:/bin"
    "LANG=C.UTF-8" "XDG_RUNTIME_DIR=$SESSION/runtime" "XDG_CONFIG_HOME=$SESSION/config"
    "XDG_CACHE_HOME=$SESSION/home/.cache" "XDG_DATA_HOME=$SESSION/home/.local/share"
    "XDG_DATA_DIRS=$SESSION/prefix/share:/usr/local/share:/usr/share"
    "DBUS_SESSION_BUS_ADDRESS=unix:path=$SESSION/runtime/bus"
    "DBUS_SYSTEM_BUS_ADDRESS=unix:path=$SESSION/runtime/system_bus"
    "XDG_DESKTOP_PORTAL_DIR=$SESSION/portals" XDG_SESSION_TYPE=wayland "$MARKER"
    LIBGL_ALWAYS_SOFTWARE=1 WAYLAND_DISPLAY=wayland-tintra "$@")
  local bus
  for bus in bus system_bus; do
    service "$bus" "test -S $SESSION/runtime/$bus" dbus-daemon --session --nofork --nopidfile \
      --address="unix:path=$SESSION/runtime/$bus"
  done
  service pipewire "test -S $SESSION/runtime/pipewire-0" pipewire
}

# start_portal DESKTOP NAME:BACKEND...: the portal with only these back-ends.
start_portal() {
  local desktop=$1 pair name
  shift
  for pair in "$@"; do
    name=${pair%%:*}
    sed "s/^UseIn=.*/UseIn=$desktop/" "/usr/share/xdg-desktop-portal/portals/$name.portal" \
      >"$SESSION/portals/$name.portal" || fail "no $name.portal"
    service "portal-$name" "bus_has org.freedesktop.impl.portal.desktop.$name" ${pair#*:}
  done
  service portal "bus_has org.freedesktop.portal.Desktop" /usr/libexec/xdg-desktop-portal --verbose
}

# start_wayland: sway with one output HEADLESS-1 of 1920 x 1080, and the wlr
# portal. Keys go in by wtype, the pointer by desktoptool; the pointer hides
# 0.1 s after it moves, for its copies of a screen (grim, the portal) draw it.
# Without direct scan-out: headless sway would put a full-screen window's
# buffer straight on an output without the cursor, and those copies would
# still show what lies below.
start_wayland() {
  printf '%s\n' 'xwayland disable' 'output HEADLESS-1 resolution 1920x1080 position 0 0' \
    'seat * hide_cursor 100' >"$SESSION/sway.conf"
  start_session sway WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    XDG_CURRENT_DESKTOP=sway XDG_SESSION_DESKTOP=sway "SWAYSOCK=$SESSION/runtime/sway.sock"
  service sway "compgen -G '$SESSION/runtime/wayland-*[0-9]' >/dev/null && in_session swaymsg -t get_outputs >/dev/null 2>&1" sway -D noscanout -c "$SESSION/sway.conf"
  local socket # sway names its socket itself
  socket=$(compgen -G "$SESSION/runtime/wayland-*[0-9]" | head -1)
  SESSION_ENV=("${SESSION_ENV[@]/#WAYLAND_DISPLAY=*/WAYLAND_DISPLAY=${socket##*/}}")
  # One keyboard for the session: with each wtype's own, Qt would lose the
  # keyboard focus between two key sequences.
  start_in_session keyboard wtype -s 86400000 -k F24
  start_input
  start_portal sway "wlr:/usr/libexec/xdg-desktop-portal-wlr -l DEBUG" \
    "gtk:/usr/libexec/xdg-desktop-portal-gtk --verbose"
}

# start_sway: start_wayland, and HEADLESS-2 of 1920 x 1080 device pixels at
# scale 2 beside it (logical x 1920 to 2879).
start_sway() {
  start_wayland
  in_session swaymsg create_output >/dev/null &&
    in_session swaymsg output HEADLESS-2 resolution 1920x1080 scale 2 position 1920 0 >/dev/null ||
    fail "sway could not add a second output"
  SCREENS=(HEADLESS-1:0 HEADLESS-2:1920)
}

# start_compositor BUSNAME LOG CMD...: up once its Wayland socket and BUSNAME
# are, or the test is skipped.
start_compositor() {
  local name=$1
  shift
  start_in_session "$@"
  local pid=$!
  up() { kill -0 "$pid" 2>/dev/null || return 2; test -S "$SESSION/runtime/wayland-tintra" && bus_has "$name"; }
  poll 40 up || skip "$2 did not start on this machine (see its log)"
}

# start_gnome [N]: GNOME Shell with N (1) virtual monitors of 1920 x 1080 side
# by side, Xwayland (its display and key for the session's programs) and its
# portal.
MONITORS=1
start_gnome() {
  MONITORS=${1:-1}
  command -v gnome-shell >/dev/null || skip "gnome-shell is not installed (scripts/deps.sh test)"
  start_session gnome XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome GDK_BACKEND=wayland \
    NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
  [ -d "$SESSION_TMP/.X11-unix" ] || { mkdir -m 1777 "$SESSION_TMP/.X11-unix" && own "$_"; } # as /tmp, for Xwayland
  start_compositor org.gnome.Shell.Screenshot gnome-shell gnome-shell --headless --wayland \
    --wayland-display wayland-tintra $(printf -- '--virtual-monitor 1920x1080 %.0s' $(seq "$MONITORS"))
  local x=()
  xwayland() { x=($(for p in $(marked "$MARKER"); do tr '\0' ' ' <"/proc/$p/cmdline"; echo; done | grep -E '^(\S*\/)?Xwayland :')); }
  poll 20 xwayland || fail "mutter started no Xwayland"
  SESSION_ENV+=("DISPLAY=${x[1]}" "XAUTHORITY=$(sed -E 's/.* -auth ([^ ]+).*/\1/' <<<"${x[*]}")")
  poll 10 bus_has org.gnome.Mutter.RemoteDesktop || skip "mutter offers no remote desktop input"
  start_portal GNOME "gnome:/usr/libexec/xdg-desktop-portal-gnome --verbose" \
    "gtk:/usr/libexec/xdg-desktop-portal-gtk --verbose"
  start_input
  desk key Escape # the Shell starts in the overview
}

# start_kde [SCALE [checks]]: KWin with one output of 1920 x 1080 at SCALE
# and its portal. Without "checks" KWin grants its restricted interfaces to
# all; with it, desktoptool has them through a desktop entry of its own.
start_kde() {
  local env=(XDG_CURRENT_DESKTOP=KDE XDG_SESSION_DESKTOP=KDE KDE_FULL_SESSION=true
    KDE_SESSION_VERSION=5 QT_QPA_PLATFORM=wayland)
  command -v kwin_wayland >/dev/null || skip "kwin_wayland is not installed (scripts/deps.sh test)"
  # A copy without the file capability a container refuses, of the same name.
  mkdir -p "$SESSION/kwin"
  cp /usr/bin/kwin_wayland "$SESSION/kwin/kwin_wayland"
  if [ "${2:-}" = checks ]; then
    printf '%s\n' "[Desktop Entry]" Type=Application Name=desktoptool "Exec=$SESSION/bin/desktoptool" \
      X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2 \
      >"$SESSION/home/.local/share/applications/desktoptool.desktop"
  else # one switch for the restricted Wayland interfaces, one for ScreenShot2
    env+=(KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1)
  fi
  start_session kde "${env[@]}"
  start_compositor org.kde.KWin kwin "$SESSION/kwin/kwin_wayland" --virtual --width 1920 --height 1080 \
    --scale "${1:-1}" --socket wayland-tintra --no-lockscreen --no-global-shortcuts --no-kactivities
  # The portal saves into ~/Pictures, and fails without it.
  start_portal KDE "kde:/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde"
  start_input
}

# start_input: the desktop's remote keyboard and pointer (desktoptool) for
# the whole session, fed through a pipe opened both ways.
DESK_LINES=0
start_input() {
  mkfifo "$SESSION/input" && own "$SESSION/input"
  exec 7<>"$SESSION/input"
  start_in_session input sh -c 'exec "$0" input "$1" <"$2"' "$SESSION/bin/desktoptool" "$DESKTOP" "$SESSION/input"
  desk_line sleep 1 || fail "the desktop's remote input did not start"
}

# desk ACTION...: keys and the pointer (see desktoptool), once the desktop has
# them. On sway wtype types (the pointer focuses the screen it is on).
desk() {
  [ "$DESKTOP" != sway ] || { sway_desk "$@"; return; }
  desk_line "$@"
}
desk_line() {
  DESK_LINES=$((DESK_LINES + 1))
  echo "$*" >&7
  answers() { grep -E '^(ok|failed)$' "$SESSION/log/input.log" 2>/dev/null; }
  poll 30 eval '[ "$(answers | wc -l)" -ge "$DESK_LINES" ]' || fail "the remote input did not answer: $*"
  [ "$(answers | tail -1)" = ok ] || fail "remote input failed: $*"
}
sway_desk() {
  local w=() # one wtype's keys: its modifiers hold only within one run
  flush() { [ ${#w[@]} -eq 0 ] || in_session wtype -s 300 "${w[@]}" || fail "wtype ${w[*]}"; w=(); }
  while [ $# -gt 0 ]; do
    case $1 in
      key) w+=(-k "$2") ;;
      down) w+=(-M "$2") ;;
      up) w+=(-m "$2") ;;
      move) flush; desk_line move "$2" "$3"; shift ;;
      click) flush; desk_line click "$2" ;;
    esac
    shift 2
  done
  flush
}

# shot FILE [SCREEN]: the screen from the desktop's own call (no pointer).
shot() {
  case $DESKTOP in
    sway) in_session grim -o "${2:-HEADLESS-1}" "$1" ;;
    *) in_session timeout 20 "$SESSION/bin/desktoptool" shot "$DESKTOP" "$1" ;;
  esac
}
img() { QT_QPA_PLATFORM=offscreen "$TOOLS/imgtool" "$@"; }

# show_pattern WIDTH HEIGHT: each screen shows only its part of a pattern in
# which device pixel (x, y) is red x & 255, green y & 255, blue (x >> 8) |
# ((y >> 8) << 4); on GNOME each monitor its part, where Qt's
# -qwindowgeometry puts the first window.
show_pattern() {
  local screen name x
  for screen in "${SCREENS[@]}"; do
    name=${screen%:*}
    img unique "$1" "$2" "$SESSION/pattern-$name.png" "${screen#*:}" 2>/dev/null && own "$SESSION/pattern-$name.png" ||
      fail "imgtool could not write the pattern"
    if [ "$DESKTOP" = sway ]; then
      in_session swaymsg output "$name" bg "$SESSION/pattern-$name.png" fill >/dev/null
    elif [ "$MONITORS" -gt 1 ]; then
      for ((x = 0; x < $1; x += $1 / MONITORS)); do
        img unique $(($1 / MONITORS)) "$2" "$SESSION/part-$x.png" $x && own "$SESSION/part-$x.png" || fail "imgtool could not write the pattern"
        start_in_session pattern-$x env QT_QPA_PLATFORM=xcb "$SESSION/bin/imgtool" \
          -qwindowgeometry "$(($1 / MONITORS))x$2+$x+0" show "$SESSION/part-$x.png"
      done
    else
      start_in_session pattern env QT_QPA_PLATFORM=wayland "$SESSION/bin/imgtool" show "$SESSION/pattern-$name.png"
    fi
    poll 20 pattern_shown "$name" || fail "$name does not show the pattern pixel for pixel"
  done
}
pattern_shown() { shot "$SESSION/work/screen.png" "$1" && img same "$SESSION/pattern-$1.png" "$SESSION/work/screen.png" 2>/dev/null; }

# cross_hair: prints "X Y", the centre of the cross-hair on the screens in
# pattern pixels; without one, seen says what the screens show.
cross_hair() {
  local screen name at
  : >"$SESSION/cross.txt"
  for screen in "${SCREENS[@]}"; do
    name=${screen%:*}
    printf '%s: ' "$name" >>"$SESSION/cross.txt"
    shot "$SESSION/work/cross.png" "$name" 2>>"$SESSION/cross.txt" &&
      at=$(img crosshair "$SESSION/pattern-$name.png" "$SESSION/work/cross.png" 2>>"$SESSION/cross.txt") &&
      echo "$((${at% *} + ${screen#*:})) ${at#* }" && return
  done
  return 1
}
seen() { echo "'${CROSS:-nowhere}' ($(paste -sd';' "$SESSION/cross.txt" 2>/dev/null))"; }

# cross_to WHAT X Y ACTION...: the actions move the cross-hair to (X, Y).
cross_to() {
  local what=$1 want="$2 $3"
  shift 3
  desk "$@"
  poll 5 eval 'CROSS=$(cross_hair) && [ "$CROSS" = "$want" ]' || fail "$what moved the cross-hair to $(seen), not to $want"
}

# start_program LOG ARG...: Tintra (BIN) on Qt's wayland platform (or on
# QT_PLATFORM, e.g. xcb through Xwayland), installed
# as an install puts it, with its menu entry (naming it by its full path)
# where KWin looks for what a program may do.
start_program() {
  [ -x "$SESSION/prefix/bin/Tintra" ] || {
    cp "$BIN" "$SESSION/prefix/bin/Tintra"
    sed "s|^Exec=Tintra |Exec=$SESSION/prefix/bin/Tintra |" "$(dirname "${BASH_SOURCE[0]}")/../../resources/desktop/tintra.desktop" \
      >"$SESSION/prefix/share/applications/tintra.desktop"
    own "$SESSION/prefix"
  }
  local log=$1
  shift
  start_in_session "$log" env QT_QPA_PLATFORM="${QT_PLATFORM:-wayland}" "$SESSION/prefix/bin/Tintra" "$@"
  APP_PID=$!
}

tintra_settings() { settings "$@" && own "$XDG_CONFIG_HOME"; } # as settings, for the session's user
clipboard() { in_session timeout 5 wl-paste -n 2>/dev/null || true; } # for expect_clipboard
