# The session of wayland_lib.sh on three desktops: a headless GNOME Shell
# (xdg-desktop-portal-gnome) or KWin (xdg-desktop-portal-kde), each with a
# bus of its own in the system bus's place, keys and the pointer through the
# desktop's own remote input (tests/tools/desktoptool) and the screen from
# its own screenshot call; or sway on two screens. A desktop that cannot
# start on this machine ends the test with status 77 (skipped), saying why.
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

# start_desktop NAME=VALUE... -- WHAT LOG CMD...: the buses and PipeWire,
# with the environment of both desktops and the arguments, and the
# compositor CMD (its output in LOG), up once its Wayland socket is; a
# compositor that cannot start here skips the test.
start_desktop() {
  local env=() pid
  while [ "$1" != -- ]; do env+=("$1") && shift; done
  local what=$2 log=$3
  shift 3
  cp "$TOOLS/desktoptool" "$TOOLS/imgtool" "$SESSION/bin/" || fail "no desktoptool or imgtool in $TOOLS"
  [ ${#RUN_AS[@]} -eq 0 ] || chown -R "$WAYLAND_USER" "$SESSION"
  session_env "PATH=$SESSION/prefix/bin:/usr/local/bin:/usr/bin:/bin" \
    "XDG_DATA_DIRS=$SESSION/prefix/share:/usr/local/share:/usr/share" \
    "DBUS_SYSTEM_BUS_ADDRESS=unix:path=$SESSION/runtime/system_bus" \
    LIBGL_ALWAYS_SOFTWARE=1 "WAYLAND_DISPLAY=wayland-tintra" "${env[@]}"
  start_system_bus
  start_session_bus
  start_pipewire
  start_in_session "$log" "$@"
  pid=$!
  SESSION_PIDS+=("$pid")
  up() { kill -0 "$pid" 2>/dev/null || return 2; test -S "$SESSION/runtime/wayland-tintra"; }
  poll 30 up || skip "$what did not start on this machine (see its log)"
}

# start_gnome: GNOME Shell, headless, with one virtual monitor of 1920 x 1080,
# the GNOME portal, and the overview closed.
start_gnome() {
  command -v gnome-shell >/dev/null || skip "gnome-shell is not installed (scripts/deps.sh test)"
  DESKTOP=gnome
  start_desktop XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome GDK_BACKEND=wayland \
    NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory -- "GNOME Shell" gnome-shell gnome-shell --headless \
    --wayland --no-x11 --wayland-display wayland-tintra --virtual-monitor 1920x1080
  poll 30 bus_has org.gnome.Shell.Screenshot || skip "GNOME Shell did not come up (see its log)"
  poll 10 bus_has org.gnome.Mutter.RemoteDesktop || skip "mutter offers no remote desktop input"
  start_portal GNOME "gnome:/usr/libexec/xdg-desktop-portal-gnome --verbose" \
    "gtk:/usr/libexec/xdg-desktop-portal-gtk --verbose"
  start_input
  # The Shell starts in the overview.
  desk key Escape
}

# start_kde [SCALE [checks]]: KWin, headless, one virtual output of 1920 x
# 1080 at SCALE (default 1), with the KDE portal. KWin's checks of its
# restricted interfaces are off unless "checks" is given; with them on,
# desktoptool's input and screenshots are granted through its own desktop
# entry, which names it by its full path as KWin finds a program's entry.
start_kde() {
  local env=(XDG_CURRENT_DESKTOP=KDE XDG_SESSION_DESKTOP=KDE KDE_FULL_SESSION=true
    KDE_SESSION_VERSION=5 QT_QPA_PLATFORM=wayland)
  command -v kwin_wayland >/dev/null || skip "kwin_wayland is not installed (scripts/deps.sh test)"
  DESKTOP=kde
  # The installed binary carries a file capability a container refuses; a
  # copy has none. Its platform plug-in wants the name kwin_wayland.
  mkdir -p "$SESSION/kwin" "$SESSION/home/.local/share/applications"
  cp /usr/bin/kwin_wayland "$SESSION/kwin/kwin_wayland"
  # The portal saves its screenshots there, and fails without it.
  mkdir -p "$SESSION/home/Pictures"
  if [ "${2:-}" = checks ]; then
    printf '%s\n' "[Desktop Entry]" Type=Application Name=desktoptool "Exec=$SESSION/bin/desktoptool" \
      X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input \
      X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2 \
      >"$SESSION/home/.local/share/applications/desktoptool.desktop"
  else
    # One switch for the restricted Wayland interfaces, one for ScreenShot2.
    env+=(KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1)
  fi
  start_desktop "${env[@]}" -- KWin kwin "$SESSION/kwin/kwin_wayland" --virtual --width 1920 \
    --height 1080 --scale "${1:-1}" --socket wayland-tintra --no-lockscreen --no-global-shortcuts \
    --no-kactivities
  poll 20 bus_has org.kde.KWin || skip "KWin did not take its bus name (see its log)"
  start_portal KDE "kde:/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde"
  start_input
}

# start_sway: sway (wayland_lib.sh) with two outputs side by side, each
# 1920 x 1080 device pixels: HEADLESS-1 at scale 1, HEADLESS-2 at scale 2
# (logical x 1920 to 2879). Keys go in by wtype; there is no pointer.
start_sway() {
  cp "$TOOLS/imgtool" "$SESSION/bin/" || fail "no imgtool in $TOOLS"
  start_wayland 1920x1080
  in_session swaymsg create_output >/dev/null &&
    in_session swaymsg output HEADLESS-2 resolution 1920x1080 scale 2 position 1920 0 >/dev/null ||
    fail "sway could not add a second output"
  SCREENS=(HEADLESS-1:0 HEADLESS-2:1920)
}
SCREENS=(all:0) # NAME:X of each screen: its left edge in the pattern (device pixels)

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
# remote input (see desktoptool's usage; on sway wtype does the keys, and a
# move focuses the screen of that place). Returns once the desktop has them.
desk() {
  [ "$DESKTOP" != sway ] || { sway_desk "$@"; return; }
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
sway_desk() {
  local w=() # keys gathered for one wtype: its modifiers hold only within one run
  flush() { [ ${#w[@]} -eq 0 ] || in_session wtype -s 300 "${w[@]}" || fail "wtype ${w[*]}"; w=(); }
  while [ $# -gt 0 ]; do
    case $1 in
      key) w+=(-k "$2") ;;
      down) w+=(-M "$2") ;;
      up) w+=(-m "$2") ;;
      # The headless seat has no pointer: the keyboard goes to the screen.
      move) flush; in_session swaymsg focus output "HEADLESS-$(($2 < 1920 ? 1 : 2))" >/dev/null; shift ;;
      sleep) flush; sleep "$(($2 / 1000))" ;;
    esac
    shift 2
  done
  flush
}

# shot FILE [SCREEN]: the whole screen, or one of SCREENS, as the desktop's
# own screenshot call gives it (device pixels, no pointer).
shot() {
  case $DESKTOP in
    sway) in_session grim -o "${2:-HEADLESS-1}" "$1" ;;
    *) in_session timeout 20 "$SESSION/bin/desktoptool" shot "$DESKTOP" "$1" ;;
  esac
}

# --- Measuring over a pattern whose every pixel has its own colour -----------

# show_pattern WIDTH HEIGHT: each screen shows its part of a pattern in which
# device pixel (x, y) is red x & 255, green y & 255, blue (x >> 8) | ((y >>
# 8) << 4), pixel for pixel, and nothing else.
show_pattern() {
  local screen name x
  for screen in "${SCREENS[@]}"; do
    name=${screen%:*} x=${screen#*:}
    QT_QPA_PLATFORM=offscreen "$TOOLS/imgtool" unique "$1" "$2" "$SESSION/pattern-$name.png" "$x" \
      2>/dev/null || fail "imgtool could not write the pattern"
    [ ${#RUN_AS[@]} -eq 0 ] || chown "$WAYLAND_USER" "$SESSION/pattern-$name.png"
    if [ "$DESKTOP" = sway ]; then
      in_session swaymsg output "$name" bg "$SESSION/pattern-$name.png" fill >/dev/null
    else
      start_in_session pattern env QT_QPA_PLATFORM=wayland "$SESSION/bin/imgtool" show \
        "$SESSION/pattern-$name.png"
      SESSION_PIDS+=("$!")
    fi
    poll 20 pattern_shown "$name" || fail "$name does not show the pattern pixel for pixel"
  done
}
pattern_shown() { shot "$SESSION/work/screen.png" "$1" && same "$SESSION/pattern-$1.png" "$SESSION/work/screen.png"; }

# position R,G,B: the pattern pixel "X Y" of that colour.
position() {
  local r g b
  IFS=, read -r r g b <<<"$1"
  echo "$((r + 256 * (b & 15))) $((g + 256 * (b >> 4)))"
}

# cross_hair: prints "X Y", the centre of the measurement cross-hair on the
# screens now (pattern pixels); fails when there is none.
cross_hair() {
  local screen name at
  for screen in "${SCREENS[@]}"; do
    name=${screen%:*}
    shot "$SESSION/work/cross.png" "$name" &&
      at=$(QT_QPA_PLATFORM=offscreen "$TOOLS/imgtool" crosshair "$SESSION/pattern-$name.png" \
        "$SESSION/work/cross.png" 2>/dev/null) && echo "$((${at% *} + ${screen#*:})) ${at#* }" && return
  done
  return 1
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

# screenshots_left: screenshot files in the session's home, Pictures folder
# or /tmp.
screenshots_left() {
  find "$SESSION/home" -maxdepth 2 -path "$SESSION/home/.*" -prune -o -type f \
    \( -iname '*.png' -o -iname '*.jpg' \) -print
  [ "$SESSION_TMP" = /tmp ] || find "$SESSION_TMP" -maxdepth 1 -type f
  [ "$SESSION_TMP" != /tmp ] || ls /tmp/out.png 2>/dev/null || true
}
