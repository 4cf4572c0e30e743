# The session of wayland_lib.sh on the two big desktops: a headless GNOME
# Shell (mutter, xdg-desktop-portal-gnome) or a headless KWin
# (xdg-desktop-portal-kde), each with a bus of its own in the system bus's
# place. Keys and the pointer go in through the desktop's own remote input
# (tests/tools/desktoptool), and the screen comes out through its own
# screenshot call. A desktop that cannot start on this machine ends the test
# with status 77 (skipped), saying why.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"

SKIP=77

# skip REASON: the desktop cannot run here; the test is skipped, not passed.
skip() {
  echo "SKIP: $*" >&2
  show_logs
  exit $SKIP
}

# install_tintra BINARY: the program and its menu entry as an install puts
# them, under the session's prefix (on PATH and XDG_DATA_DIRS): the entry is
# where KWin looks when it decides what a program may do.
install_tintra() {
  mkdir -p "$SESSION/prefix/bin" "$SESSION/prefix/share/applications"
  cp "$1" "$SESSION/prefix/bin/Tintra"
  cp "$(dirname "${BASH_SOURCE[0]}")/../../resources/desktop/tintra.desktop" "$SESSION/prefix/share/applications/"
}

# desktop_env NAME=VALUE...: session_env with what both desktops read.
desktop_env() {
  session_env "PATH=$SESSION/prefix/bin:/usr/local/bin:/usr/bin:/bin" \
    "XDG_DATA_DIRS=$SESSION/prefix/share:/usr/local/share:/usr/share" \
    "DBUS_SYSTEM_BUS_ADDRESS=unix:path=$SESSION/runtime/system_bus" \
    LIBGL_ALWAYS_SOFTWARE=1 "WAYLAND_DISPLAY=wayland-tintra" "$@"
}

# session_tools: desktoptool and imgtool where the session's user runs them.
session_tools() {
  cp "$TOOLS/desktoptool" "$TOOLS/imgtool" "$SESSION/bin/" || fail "no desktoptool or imgtool in $TOOLS"
}

# wait_compositor PID WHAT: the compositor's socket is up (else skip: it
# cannot start here).
wait_compositor() {
  local pid=$1
  up() { kill -0 "$pid" 2>/dev/null || return 2; test -S "$SESSION/runtime/wayland-tintra"; }
  poll 30 up || skip "$2 did not start on this machine (see its log)"
}

# start_gnome [WIDTHxHEIGHT [SCALE]]: GNOME Shell, headless, with one virtual
# monitor of WIDTHxHEIGHT device pixels at SCALE (default 1), the GNOME
# portal, and the overview closed.
start_gnome() {
  local size=${1:-1920x1080} scale=${2:-1} pid
  command -v gnome-shell >/dev/null || skip "gnome-shell is not installed (scripts/deps.sh test)"
  DESKTOP=gnome
  session_tools
  mkdir -p "$SESSION/config"
  if [ "$scale" != 1 ]; then
    # The virtual monitor takes its scale from the stored monitor set-up.
    cat >"$SESSION/config/monitors.xml" <<EOF
<monitors version="2"><configuration><logicalmonitor><x>0</x><y>0</y><scale>$scale</scale>
<primary>yes</primary><monitor><monitorspec><connector>Meta-0</connector><vendor>MetaProducts Inc.</vendor>
<product>MetaMonitor</product><serial>0x1234</serial></monitorspec><mode><width>${size%x*}</width>
<height>${size#*x}</height><rate>60.000</rate></mode></monitor></logicalmonitor></configuration></monitors>
EOF
  fi
  [ ${#RUN_AS[@]} -eq 0 ] || chown -R "$WAYLAND_USER" "$SESSION"
  desktop_env XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome GDK_BACKEND=wayland \
    NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
  start_system_bus
  start_session_bus
  start_pipewire
  start_in_session gnome-shell gnome-shell --headless --wayland --no-x11 \
    --wayland-display wayland-tintra --virtual-monitor "$size"
  pid=$!
  SESSION_PIDS+=("$pid")
  wait_compositor "$pid" "GNOME Shell"
  poll 30 bus_has org.gnome.Shell.Screenshot || skip "GNOME Shell did not come up (see its log)"
  poll 10 bus_has org.gnome.Mutter.RemoteDesktop || skip "mutter offers no remote desktop input"
  start_portal GNOME "gnome:/usr/libexec/xdg-desktop-portal-gnome --verbose" \
    "gtk:/usr/libexec/xdg-desktop-portal-gtk --verbose"
  start_input
  # The Shell starts in the overview.
  desk key Escape
}

# start_kde [WIDTHxHEIGHT [SCALE [checks]]]: KWin, headless, one virtual
# output of WIDTHxHEIGHT at SCALE (default 1), with the KDE portal. KWin's
# checks of its restricted interfaces are off unless "checks" is given; with
# them on, desktoptool's input and screenshots are granted through desktop
# entries of their own.
start_kde() {
  local size=${1:-1920x1080} scale=${2:-1} checks=${3:-} pid
  command -v kwin_wayland >/dev/null || skip "kwin_wayland is not installed (scripts/deps.sh test)"
  DESKTOP=kde
  session_tools
  # The installed binary carries a file capability a container refuses; a
  # copy has none. Its platform plug-in wants the name kwin_wayland.
  mkdir -p "$SESSION/kwin"
  cp /usr/bin/kwin_wayland "$SESSION/kwin/kwin_wayland"
  # The portal saves its screenshots there, and fails without it.
  mkdir -p "$SESSION/home/Pictures" "$SESSION/home/.local/share/applications"
  if [ -n "$checks" ]; then
    desktop_entry desktoptool "$SESSION/bin/desktoptool" \
      "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input" \
      "X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2"
  fi
  [ ${#RUN_AS[@]} -eq 0 ] || chown -R "$WAYLAND_USER" "$SESSION"
  local env=(XDG_CURRENT_DESKTOP=KDE XDG_SESSION_DESKTOP=KDE KDE_FULL_SESSION=true
    KDE_SESSION_VERSION=5 QT_QPA_PLATFORM=wayland)
  # One switch for the restricted Wayland interfaces, one for ScreenShot2.
  [ -n "$checks" ] || env+=(KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1)
  desktop_env "${env[@]}"
  start_system_bus
  start_session_bus
  start_pipewire
  start_in_session kwin "$SESSION/kwin/kwin_wayland" --virtual --width "${size%x*}" \
    --height "${size#*x}" --scale "$scale" --socket wayland-tintra --no-lockscreen \
    --no-global-shortcuts --no-kactivities
  pid=$!
  SESSION_PIDS+=("$pid")
  wait_compositor "$pid" KWin
  poll 20 bus_has org.kde.KWin || skip "KWin did not take its bus name (see its log)"
  start_portal KDE "kde:/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde"
  start_input
}

# desktop_entry NAME EXEC KEY=VALUE...: a desktop entry for the program EXEC
# (by its full path, as KWin finds a client's entry) in the session's
# applications folder.
desktop_entry() {
  local name=$1 exec=$2
  shift 2
  mkdir -p "$SESSION/home/.local/share/applications"
  { printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s\n' "$name" "$exec"; printf '%s\n' "$@"; } \
    >"$SESSION/home/.local/share/applications/$name.desktop"
  [ ${#RUN_AS[@]} -eq 0 ] || chown -R "$WAYLAND_USER" "$SESSION/home"
}

# start_input: the desktop's remote keyboard and pointer for the whole
# session (a keyboard that came and went with each key sequence would take
# the keyboard focus with it), fed through a pipe.
DESK_LINES=0
start_input() {
  mkfifo "$SESSION/input"
  [ ${#RUN_AS[@]} -eq 0 ] || chown "$WAYLAND_USER" "$SESSION/input"
  # Opened both ways: neither end waits for the other.
  exec 7<>"$SESSION/input"
  start_in_session input sh -c 'exec "$0" input "$1" <"$2"' "$SESSION/bin/desktoptool" "$DESKTOP" \
    "$SESSION/input"
  SESSION_PIDS+=("$!")
  desk sleep 1 || fail "the desktop's remote input did not start"
}

# desk ACTION...: keys and the pointer, in order, through the desktop's
# remote input; see desktoptool's usage. Returns once the desktop has them.
desk() {
  DESK_LINES=$((DESK_LINES + 1))
  echo "$*" >&7
  answered() {
    local n
    n=$(grep -cE '^(ok|failed)$' "$SESSION/log/input.log" 2>/dev/null)
    [ "${n:-0}" -ge "$DESK_LINES" ]
  }
  poll 30 answered || fail "the remote input did not answer: $*"
  [ "$(grep -E '^(ok|failed)$' "$SESSION/log/input.log" | tail -1)" = ok ] || fail "remote input failed: $*"
}

# shot FILE: the whole screen as the desktop's own screenshot call gives it
# (device pixels, no pointer).
shot() { in_session timeout 20 "$SESSION/bin/desktoptool" shot "$DESKTOP" "$1"; }

# show_pattern PICTURE: a full-screen window shows PICTURE pixel for pixel,
# and the screen shows nothing else.
show_pattern() {
  PATTERN=$1
  start_in_session pattern env QT_QPA_PLATFORM=wayland "$SESSION/bin/imgtool" show "$PATTERN"
  SESSION_PIDS+=("$!")
  poll 20 eval 'shot "$SESSION/work/screen.png" && same "$PATTERN" "$SESSION/work/screen.png"' ||
    fail "the screen does not show the pattern pixel for pixel"
}

# --- Measuring over a pattern whose every pixel has its own colour -----------

# pattern WIDTH HEIGHT: $SESSION/pattern.png, a picture in which pixel (x, y)
# is red x & 255, green y & 255, blue (x >> 8) | ((y >> 8) << 4).
pattern() {
  QT_QPA_PLATFORM=offscreen "$TOOLS/imgtool" unique "$1" "$2" "$SESSION/pattern.png" 2>/dev/null ||
    fail "imgtool could not write the pattern"
  [ ${#RUN_AS[@]} -eq 0 ] || chown "$WAYLAND_USER" "$SESSION/pattern.png"
}

# position R,G,B: the pattern pixel "X Y" of that colour.
position() {
  local r g b
  IFS=, read -r r g b <<<"$1"
  echo "$((r + 256 * (b & 15))) $((g + 256 * (b >> 4)))"
}

# cross_hair: prints "X Y", the centre of the measurement cross-hair on the
# screen now (device pixels); fails when there is none.
cross_hair() {
  shot "$SESSION/work/cross.png" &&
    QT_QPA_PLATFORM=offscreen "$TOOLS/imgtool" crosshair "$PATTERN" "$SESSION/work/cross.png" 2>/dev/null
}

# wait_cross SECONDS: CROSS becomes the cross-hair's "X Y" once it shows.
wait_cross() { poll "$1" eval 'CROSS=$(cross_hair)'; }

# cross_to WHAT X Y ACTION...: the actions (see desk) move the cross-hair to
# (X, Y); WHAT names them in the failure.
cross_to() {
  local what=$1 want="$2 $3"
  shift 3
  desk "$@"
  poll 5 eval 'CROSS=$(cross_hair) && [ "$CROSS" = "$want" ]' ||
    fail "$what moved the cross-hair to '${CROSS:-nowhere}', not to $want"
}

# start_program LOG ARG...: Tintra, installed in the session's prefix, on Qt's
# wayland platform, with its output in $SESSION/log/LOG.log.
start_program() {
  local log=$1
  shift
  start_in_session "$log" env QT_QPA_PLATFORM=wayland "$SESSION/prefix/bin/Tintra" "$@"
  APP_PID=$!
}

# picked_by_pick EXPECTED_X EXPECTED_Y: --pick --format rgb has ended with
# status 0 and printed the pattern's colour of that pixel.
picked_by_pick() {
  local rc=0 out at
  poll 10 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail "--pick did not end after the pick"
  wait "$APP_PID" || rc=$?
  APP_PID=""
  out=$(grep -E '^[0-9]+,[0-9]+,[0-9]+$' "$SESSION/log/pick.log" | tail -1) || true
  [ "$rc" = 0 ] && [ -n "$out" ] || fail "--pick: status $rc, printed '$(cat "$SESSION/log/pick.log")'"
  at=$(position "$out")
  [ "$at" = "$1 $2" ] || fail "--pick gave $out, the pattern's colour at ($at), not at ($1 $2)"
}

# screenshots_left: screenshot files in the session's home or Pictures folder.
screenshots_left() {
  find "$SESSION/home" -maxdepth 2 -path "$SESSION/home/.*" -prune -o -type f \
    \( -iname '*.png' -o -iname '*.jpg' \) -print
}
