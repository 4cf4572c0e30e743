#!/usr/bin/env bash
# Point measurement on a real Wayland desktop with its own portal, over a
# pattern whose every pixel has its own colour: a pick one pixel off, or a
# still shifted, scaled or holding the pointer, gives a colour of another
# place or none of the pattern's. The test reads the cross-hair off the
# screen, moves it by keys and checks the colour taken where it stood.
#
#   desktop_measure.sh TINTRA_BINARY TOOLS_FOLDER gnome|kde|kde-scale2|sway
#
# gnome: GNOME Shell. The first use asks whether Tintra may take
#   screenshots; answered after 12 s, it measures exactly, and the second
#   use asks nothing.
# kde: KWin, checking which programs may use its restricted interfaces
#   (Tintra has its installed menu entry only). With the pointer resting
#   where the cross-hair starts, Enter takes the pattern's colour there.
# kde-scale2: KWin at scale 2, the same start and picks.
# sway: two screens side by side at scales 1 and 2 (no pointer), the
#   second measured after the keys have crossed to it.
source "$(dirname "$0")/desktop_lib.sh"
BIN=$1
TOOLS=$2
MODE=$3
SCALE=1
[ "$MODE" != kde-scale2 ] || SCALE=2

install_tintra "$BIN"
case $MODE in
  gnome) start_gnome ;;
  kde) start_kde 1 checks ;;
  kde-scale2) start_kde 2 ;;
  sway) start_sway ;;
  *) fail "unknown desktop $MODE" ;;
esac

# The pattern covers each screen's device pixels.
shot "$SESSION/work/size.png" || fail "the desktop's screenshot call failed"
read -r W H < <(file "$SESSION/work/size.png" | sed -E 's/.*PNG image data, ([0-9]+) x ([0-9]+),.*/\1 \2/')
show_pattern "$W" "$H"
before=$(screenshots_left)

# pointer X Y: the pointer to logical (X, Y). POINTER becomes its device
# pixel, MIDDLE the middle of its screen (where the cross-hair starts when
# Tintra cannot tell where the pointer is).
pointer() {
  desk move "$1" "$2"
  if [ "$DESKTOP" = sway ] && [ "$1" -ge 1920 ]; then
    POINTER="$((1920 + 2 * ($1 - 1920))) $((2 * $2))" MIDDLE="2880 540"
  else
    POINTER="$((SCALE * $1)) $((SCALE * $2))" MIDDLE="$((W / 2)) $((H / 2))"
  fi
}

# start_at WHAT: the cross-hair shows within 20 s, where the pointer is or
# in the middle of its screen.
start_at() {
  wait_cross 20 || fail "no cross-hair on the screen within 20 s of the start ($1)"
  START=$CROSS
  [ "$START" = "$POINTER" ] || [ "$START" = "$MIDDLE" ] ||
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
# Enter; with a zoom Left, Up, Shift+Up, Space (the enlargement), then
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
    desk key space
    desk key Right key Right key Down key Return
    MEASURED=$(steps 1 -10)
  fi
}

# begin ZOOMFACTOR X Y: --pick --format rgb with that zoom choice and the
# pointer at logical (X, Y).
begin() {
  tintra_settings ZoomFactor="$1"
  pointer "$2" "$3"
  start_program pick --pick --format rgb
}

# pick_by_keys ZOOMFACTOR X Y: begin, and measure by keys.
pick_by_keys() {
  begin "$@"
  start_at "--pick, ZoomFactor $1 at ($2, $3)"
  by_keys "$1"
  picked_by_pick $MEASURED
}

# pick_by_mouse X Y: begin with "Uten zoom", and a click on logical (X, Y).
pick_by_mouse() {
  begin 0 100 100
  start_at "--pick by mouse"
  pointer "$1" "$2"
  desk click left
  picked_by_pick $POINTER
}

# main_window_shown: the screen shows more than the pattern, and no still.
main_window_shown() { ! pattern_shown "${SCREENS[0]%:*}" && ! cross_hair >/dev/null; }

# punkt_by_keys ZOOMFACTOR: "Punktmål" (Alt+P) from the main window,
# measured by keys; "Kopi" of the hex text (from "Punktmål", which has the
# focus when the main window is back) holds the pattern's colour there.
# Alt+F, A ("Fil > Avslutt") then ends the program.
punkt_by_keys() {
  local x y
  tintra_settings ZoomFactor="$1"
  pointer 700 400
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
  expect_clipboard "$(printf '%X' $(((x & 255) + 256 * (y & 255) + 65536 * ((x >> 8) | ((y >> 8) << 4)))))" 5
  desk down alt key f up alt key a
  # The program ends itself before Qt 6.4's wayland teardown can hang.
  tintra_ended 5 || fail "Fil > Avslutt did not end Tintra within 5 s"
}

if [ "$DESKTOP" = gnome ]; then
  # First use: the Shell asks; 12 s later a click on "Allow" (right of the
  # middle, below it) answers. Tintra waits, measures exactly, and the answer
  # is stored.
  begin 0 700 400
  poll 10 eval '! pattern_shown all' || fail "the first use showed nothing"
  ! cross_hair >/dev/null || fail "the first use measured without asking whether it may"
  sleep 12
  kill -0 "$APP_PID" 2>/dev/null || fail "Tintra gave up while the desktop asked the user: $(cat "$SESSION/log/pick.log")"
  desk move $((W / 2 + 155)) $((H / 2 + 94)) click left
  pointer 700 400
  start_at "the first use, answered after 12 s"
  by_keys 0
  picked_by_pick $MEASURED
  # The portal's permission store: table, id, and the answer for programs
  # outside a sandbox.
  stored=$(in_session gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore \
    --object-path /org/freedesktop/impl/portal/PermissionStore \
    --method org.freedesktop.impl.portal.PermissionStore.Lookup screenshot screenshot 2>&1) || true
  [[ $stored == *"{'': ['yes']}"* ]] || fail "the answer was not stored: $stored"
  # The second use asks nothing: the cross-hair comes without an answer.
fi

pick_by_keys 3 700 400
pick_by_keys 0 700 400
[ "$DESKTOP" = sway ] || pick_by_mouse 400 300
punkt_by_keys 3
punkt_by_keys 0
case $MODE in
  kde*)
    # The pointer rests on the very pixel the cross-hair starts at; Enter
    # there takes the pattern's colour, not the pointer's.
    begin 0 $((W / 2 / SCALE)) $((H / 2 / SCALE))
    start_at "--pick, Enter at once"
    [ "$START" = "$POINTER" ] || fail "the cross-hair starts at ($START), away from the pointer ($POINTER)"
    desk key Return
    picked_by_pick $POINTER
    ;;
  sway)
    # On to the screen at scale 2 by keys: up, right to the edge and one step
    # beyond, where that screen's own device pixels go on; measured there.
    for zoom in 0 3; do
      begin $zoom 700 400
      start_at "--pick on two screens, ZoomFactor $zoom"
      cross_to "Ctrl+Right x9, Shift+Up x30" $(steps 900 -300) down ctrl $(printf 'key Right %.0s' {1..9}) \
        up ctrl down shift $(printf 'key Up %.0s' {1..30}) up shift
      desk down shift $(printf 'key Right %.0s' {1..6}) up shift key Right
      cross_to "Right into the second screen" 1923 482 key Right key Right key Right key Down key Down
      cross_to "Ctrl+Right on the second screen" 2023 482 down ctrl key Right up ctrl
      START=$CROSS
      by_keys $zoom
      picked_by_pick $MEASURED
    done
    ;;
esac

left=$(comm -13 <(echo "$before") <(screenshots_left))
[ -z "$left" ] || fail "screenshot files left behind: $left"
pass
