#!/usr/bin/env bash
# Point measurement on a real GNOME Shell or KDE Plasma (KWin) desktop, each
# with its own portal, over a full-screen pattern whose every pixel has its
# own colour: a pick one pixel off, a still shifted or scaled, or a pointer
# drawn into the still gives a colour of another place or none of the
# pattern's. The test reads the cross-hair off the screen, moves it by keys
# and checks that the colour taken is the pattern's where it stood.
#
#   desktop_measure.sh TINTRA_BINARY TOOLS_FOLDER gnome|kde|kde-scale2
#
# gnome: the first use asks whether Tintra may take screenshots; answered
#   after 12 s, it measures exactly, and the second use asks nothing.
# kde: KWin checks which programs may use its restricted interfaces; Tintra
#   has its installed menu entry only. The pointer stands where the
#   cross-hair starts, and the colour there is the pattern's.
# kde-scale2: the same start and picks on an output at scale 2.
source "$(dirname "$0")/desktop_lib.sh"
BIN=$1
TOOLS=$2
MODE=$3
SCALE=1
[ "$MODE" != kde-scale2 ] || SCALE=2

install_tintra "$BIN"
case $MODE in
  gnome) start_gnome ;;
  kde) start_kde 1920x1080 1 checks ;;
  kde-scale2) start_kde 1920x1080 2 ;;
  *) fail "unknown desktop $MODE" ;;
esac

# The pattern covers the screen's device pixels.
shot "$SESSION/work/size.png" || fail "the desktop's screenshot call failed"
read -r W H < <(file "$SESSION/work/size.png" | sed -E 's/.*PNG image data, ([0-9]+) x ([0-9]+),.*/\1 \2/')
pattern "$W" "$H"
show_pattern "$SESSION/pattern.png"
before=$(screenshots_left)

# The pointer's place (logical pixels) before each measurement, and where it
# lands in device pixels; the middle of the screen, where the cross-hair
# starts when the desktop does not tell where the pointer is.
PX=700
PY=400
POINTER="$((PX * SCALE)) $((PY * SCALE))"
MIDDLE="$((W / 2)) $((H / 2))"

# start_at: the cross-hair shows within 20 s and starts where the pointer
# is: on KDE exactly there, elsewhere there or in the middle of the screen.
start_at() {
  wait_cross 20 || fail "no cross-hair on the screen within 20 s of the start ($1)"
  START=$CROSS
  [ "$START" = "$POINTER" ] || { [ "$DESKTOP" = gnome ] && [ "$START" = "$MIDDLE" ]; } ||
    fail "$1: the cross-hair starts at ($START); the pointer is at ($POINTER)"
}

# steps DX DY: the point DX, DY device pixels from where the cross-hair started.
steps() {
  local x y
  read -r x y <<<"$START"
  echo "$((x + $1)) $((y + $2))"
}

# by_keys ZOOMFACTOR: the cross-hair moves by keys and Enter takes the point:
# with "Uten zoom" Right, Right, Down x3, Shift+Down and Ctrl+Left, and
# Enter; with a zoom Left, Up, Shift+Up, Enter (the enlargement), then
# Right, Right, Down and Enter. MEASURED becomes the point taken.
by_keys() {
  if [ "$1" = 0 ]; then
    cross_to "Right, Right, Down, Down, Down" $(steps 2 3) key Right key Right key Down key Down key Down
    cross_to "Shift+Down" $(steps 2 13) down shift key Down up shift
    cross_to "Ctrl+Left" $(steps -98 13) down ctrl key Left up ctrl
    desk key Return
    MEASURED=$(steps -98 13)
  else
    cross_to "Left, Up, Shift+Up" $(steps -1 -11) key Left key Up down shift key Up up shift
    desk key Return
    desk key Right key Right key Down key Return
    MEASURED=$(steps 1 -10)
  fi
}

# pick_by_keys ZOOMFACTOR: --pick --format rgb, measured by keys.
pick_by_keys() {
  tintra_settings ZoomFactor="$1"
  desk move $PX $PY
  start_program pick --pick --format rgb
  start_at "--pick, ZoomFactor $1"
  by_keys "$1"
  picked_by_pick $MEASURED
}

# pick_by_mouse: --pick with "Uten zoom", a click on (400, 300) logical.
pick_by_mouse() {
  tintra_settings ZoomFactor=0
  desk move $PX $PY
  start_program pick --pick --format rgb
  start_at "--pick by mouse"
  desk move 400 300 click left
  picked_by_pick $((400 * SCALE)) $((300 * SCALE))
}

# main_window_shown: the screen shows more than the pattern, and no still.
main_window_shown() {
  shot "$SESSION/work/main.png" && ! same "$PATTERN" "$SESSION/work/main.png" && ! cross_hair >/dev/null
}

# punkt_by_keys ZOOMFACTOR: "Punktmål" (Alt+P) from the main window,
# measured by keys; "Kopi" of the hex text (from "Punktmål", which has the
# focus when the main window is back) holds the pattern's colour there.
punkt_by_keys() {
  local want x y
  tintra_settings ZoomFactor="$1"
  desk move $PX $PY
  start_program tintra
  poll 20 main_window_shown || fail "Tintra's main window did not appear"
  sleep 0.5
  desk down alt key p up alt
  start_at "Punktmål, ZoomFactor $1"
  by_keys "$1"
  poll 10 main_window_shown || fail "the main window did not come back after Enter"
  sleep 1
  desk key Tab key Tab key Tab key space
  read -r x y <<<"$MEASURED"
  want=$(printf '%X' $(((x & 255) + 256 * (y & 255) + 65536 * ((x >> 8) | ((y >> 8) << 4)))))
  expect_clipboard "$want" 5
  stop_tintra
}
clipboard() { in_session timeout 5 wl-paste -n 2>/dev/null || true; }

# permission: the screenshot permission the GNOME portal stores for
# programs outside a sandbox.
permission() {
  in_session gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore \
    --object-path /org/freedesktop/impl/portal/PermissionStore \
    --method org.freedesktop.impl.portal.PermissionStore.Lookup screenshot screenshot 2>/dev/null || true
}

if [ "$DESKTOP" = gnome ]; then
  # First use: the Shell asks; the answer comes 12 s later: Tab from "Deny"
  # (which has the focus) to "Allow", and Enter. Tintra waits, measures
  # exactly, and the answer is stored.
  tintra_settings ZoomFactor=0
  desk move $PX $PY
  start_program pick --pick --format rgb
  poll 10 eval 'shot "$SESSION/work/q.png" && ! same "$PATTERN" "$SESSION/work/q.png"' ||
    fail "the first use showed nothing"
  ! cross_hair >/dev/null || fail "the first use measured without asking whether it may"
  sleep 12
  kill -0 "$APP_PID" 2>/dev/null || fail "Tintra gave up while the desktop asked the user: $(cat "$SESSION/log/pick.log")"
  desk key Tab key Return
  start_at "the first use, answered after 12 s"
  by_keys 0
  picked_by_pick $MEASURED
  permission | grep -qF "{'': ['yes']}" || fail "the answer was not stored: $(permission)"
  # The second use, with the default zoom, asks nothing: the cross-hair
  # comes without an answer.
  pick_by_keys 3
fi

[ "$MODE" = kde-scale2 ] || pick_by_keys 0
[ "$MODE" = kde-scale2 ] || pick_by_keys 3
pick_by_mouse
if [ "$MODE" = kde-scale2 ]; then
  pick_by_keys 0
else
  punkt_by_keys 3
  punkt_by_keys 0
fi
# KDE: the pointer stands on the very pixel the cross-hair starts at, and
# Enter there takes the pattern's colour, not the pointer's.
if [ "$DESKTOP" = kde ]; then
  tintra_settings ZoomFactor=0
  desk move $PX $PY
  start_program pick --pick --format rgb
  start_at "--pick, Enter at once"
  desk key Return
  picked_by_pick $POINTER
fi

left=$(comm -13 <(echo "$before") <(screenshots_left))
[ -z "$left" ] || fail "screenshot files left behind: $left"
pass
