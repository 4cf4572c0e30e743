#!/usr/bin/env bash
# Point measurement on a real desktop over a pattern whose every pixel has
# its own colour: a pick one pixel off, or a still shifted, scaled or holding
# the pointer, gives another place's colour. The test reads the cross-hair
# off the screen, moves it by keys and checks the colour taken there.
#   desktop_measure.sh TINTRA_BINARY TOOLS_FOLDER gnome|gnome-2|kde|kde-scale2|sway
# gnome: the first use asks, is answered after 12 s, measures exactly.
# gnome-2: two screens, X11 Tintra through Xwayland only.
# kde: KWin's permission checks on (Tintra has its installed entry only).
# kde-scale2: KWin at scale 2. sway: two screens at scales 1 and 2.
source "$(dirname "$0")/wayland_lib.sh"
BIN=$1 TOOLS=$2 MODE=$3 SCALE=1
case $MODE in
  gnome) start_gnome ;;
  gnome-2) start_gnome 2 ;;
  kde) start_kde 1 checks ;;
  kde-scale2) start_kde 2 && SCALE=2 ;;
  sway) start_sway ;;
  *) fail "unknown desktop $MODE" ;;
esac

# The pattern covers each screen's device pixels.
shot "$SESSION/work/size.png" || fail "the desktop's screenshot call failed"
read -r W H < <(file "$SESSION/work/size.png" | sed -E 's/.*PNG image data, ([0-9]+) x ([0-9]+),.*/\1 \2/')
show_pattern "$W" "$H"
screenshots() { # screenshot files in the session's home, Pictures or /tmp
  find "$SESSION/home" -maxdepth 2 -path "$SESSION/home/.*" -prune -o -type f \( -iname '*.png' -o -iname '*.jpg' \) -print
  if [ "$SESSION_TMP" = /tmp ]; then ls /tmp/out.png 2>/dev/null || true; else find "$SESSION_TMP" -maxdepth 1 -type f; fi
}
before=$(screenshots)

# pointer X Y: the pointer to logical (X, Y) (on sway's scale-2 screen to
# half a pixel); POINTER becomes its device pixel, MIDDLE the middle of the
# first screen (the start where Tintra cannot tell).
pointer() {
  desk move "$1" "$2"
  POINTER=$(awk -v x="$1" -v y="$2" -v s=$SCALE -v sway="${SCREENS[1]:+1}" \
    'BEGIN { if (sway && x >= 1920) print 2 * x - 1920, 2 * y; else print s * x, s * y }')
  MIDDLE="$((W / 2)) $((H / 2))"
}

# start_at WHAT: the cross-hair shows at POINTER or MIDDLE; START becomes it.
start_at() {
  poll 20 eval 'CROSS=$(cross_hair)' || fail "$1: no cross-hair within 20 s; the screen: $(seen)"
  START=$CROSS
  [ "$START" = "$POINTER" ] || [ "$START" = "$MIDDLE" ] ||
    fail "$1: the cross-hair starts at ($START); the pointer is at ($POINTER)"
}
steps() { echo "$((${START% *} + $1)) $((${START#* } + $2))"; } # steps DX DY: a point from START

# by_keys ZOOMFACTOR: keys move the cross-hair (with a zoom, Space shows the
# enlargement first) and Enter takes MEASURED.
by_keys() {
  if [ "$1" = 0 ]; then
    cross_to "Right, Right, Down, Down, Down" $(steps 2 3) key Right key Right key Down key Down key Down
    cross_to "Shift+Down" $(steps 2 13) down shift key Down up shift
    cross_to "Ctrl+Left" $(steps -98 13) down ctrl key Left up ctrl
    MEASURED=$(steps -98 13)
  else
    cross_to "Left, Up, Shift+Up" $(steps -1 -11) key Left key Up down shift key Up up shift
    desk key space
    desk key Right key Right key Down
    MEASURED=$(steps 1 -10)
  fi
  desk key Return
}

# begin ZOOMFACTOR X Y: --pick --format rgb, the pointer at logical (X, Y).
begin() {
  tintra_settings ZoomFactor="$1"
  pointer "$2" "$3"
  start_program pick --pick --format rgb
}

# picked X Y: --pick has ended with status 0, printing the colour of (X, Y).
picked() {
  local out r g b at
  tintra_ended 10 || fail "--pick did not end after the pick"
  out=$(grep -E '^[0-9]+,[0-9]+,[0-9]+$' "$SESSION/log/pick.log" | tail -1) || true
  [ "$STATUS" = 0 ] && [ -n "$out" ] || fail "--pick: status $STATUS, printed '$(cat "$SESSION/log/pick.log")'"
  IFS=, read -r r g b <<<"$out"
  at="$((r + 256 * (b & 15))) $((g + 256 * (b >> 4)))"
  [ "$at" = "$1 $2" ] || fail "--pick gave $out, the pattern's colour at ($at), not at ($1 $2)"
}

# main_window_shown: the screen shows more than the pattern, and no still.
main_window_shown() { ! pattern_shown "${SCREENS[0]%:*}" && ! cross_hair >/dev/null; }

# punkt_by_keys ZOOMFACTOR: "Punktmål" (Alt+P) measured by keys; "Kopi" (three
# Tabs on from "Punktmål") copies that colour's hex text. "Fil > Avslutt" then
# ends the program before Qt 6.4's wayland teardown can hang.
punkt_by_keys() {
  local x y
  tintra_settings ZoomFactor="$1"
  pointer 700 400
  start_program tintra
  poll 20 main_window_shown || fail "Tintra's main window did not appear"
  sleep 0.5 # nothing to poll for: the desktop gives the window the keyboard
  desk down alt key p up alt
  start_at "Punktmål, ZoomFactor $1"
  by_keys "$1"
  poll 10 main_window_shown || fail "the main window did not come back after Enter"
  sleep 1 # the same
  desk key Tab key Tab key Tab key space
  read -r x y <<<"$MEASURED"
  expect_clipboard "$(printf '%X' $(((x & 255) + 256 * (y & 255) + 65536 * ((x >> 8) | ((y >> 8) << 4)))))" 5
  desk down alt key f up alt key a
  tintra_ended 5 || fail "Fil > Avslutt did not end Tintra within 5 s"
}

store() { # store METHOD ARG...: the portal's permission store on screenshots
  in_session gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore \
    --object-path /org/freedesktop/impl/portal/PermissionStore \
    --method "org.freedesktop.impl.portal.PermissionStore.$1" screenshot "${@:2}" 2>&1
}
if [ "$MODE" = gnome-2 ]; then
  store SetPermission true screenshot '' "['yes']" >/dev/null || fail "the permission store refused"
elif [ "$DESKTOP" = gnome ]; then
  # First use: 12 s after the Shell asks, a click on "Allow" answers; Tintra
  # measures exactly and the answer is stored for programs outside a sandbox.
  begin 0 700 400
  poll 10 eval '! pattern_shown all' || fail "the first use showed nothing"
  ! cross_hair >/dev/null || fail "the first use measured without asking whether it may"
  sleep 12
  alive "$APP_PID" "Tintra, while the desktop asked the user,"
  desk move $((W / 2 + 155)) $((H / 2 + 94)) click left
  pointer 700 400
  start_at "the first use, answered after 12 s"
  by_keys 0
  picked $MEASURED
  stored=$(store Lookup screenshot) || true
  [[ $stored == *"{'': ['yes']}"* ]] || fail "the answer was not stored: $stored"
fi
if [ "$DESKTOP" = gnome ]; then
  # X11 Tintra through Xwayland: its still takes the full-screen state over
  # the top bar (on two screens one each), so the cross-hair's upper arm shows
  # in the top rows and the top row is measured, on two screens the second's,
  # reached by keys. (The pointer is known: keys show the cross-hair.)
  QT_PLATFORM=xcb begin 0 700 403
  poll 20 eval '! pattern_shown all' || fail "X11 Tintra showed nothing"
  cross_to "Ctrl+Up x4 on X11" 700 3 down ctrl $(printf 'key Up %.0s' {1..4}) up ctrl
  x=700
  [ "$MODE" = gnome ] || { x=2020 && cross_to "Ctrl+Right x15 on X11" $x 3 down ctrl $(printf 'key Right %.0s' {1..15}) up ctrl; }
  desk key Up key Up key Up key Return
  picked $x 0
  [ "$MODE" = gnome ] || pass
fi
# (On GNOME the second use: the cross-hair comes without an answer.)
for zoom in 3 0; do
  begin $zoom 700 400
  start_at "--pick, ZoomFactor $zoom"
  by_keys $zoom
  picked $MEASURED
done
# By mouse; on sway on each screen: the scale-1 one's corner by the scale-2
# one (a copy of both at scale 2 blurs it), an odd device pixel of the other.
mice=("400 300")
[ "$DESKTOP" != sway ] || mice=("1919 1079" "2300.5 250.5")
for at in "${mice[@]}"; do
  begin 0 100 100
  start_at "--pick by mouse"
  pointer $at
  desk click left
  picked $POINTER
done
punkt_by_keys 3
punkt_by_keys 0
case $MODE in
  kde*)
    # Enter at once on the pixel under the pointer takes the pattern's colour.
    begin 0 $((W / 2 / SCALE)) $((H / 2 / SCALE))
    start_at "--pick, Enter at once"
    [ "$START" = "$POINTER" ] || fail "the cross-hair starts at ($START), away from the pointer ($POINTER)"
    desk key Return
    picked $POINTER
    ;;
  sway)
    # By keys from the scale-1 screen over its right edge on to the scale-2
    # one (logical y 240 there is device row 480), whose own still shows
    # that screen's device pixels; odd ones are measured too.
    for zoom in 0 3; do
      begin $zoom 960 540
      start_at "--pick on two screens, ZoomFactor $zoom"
      cross_to "Shift+Up x30, Ctrl+Right x13" 2120 480 down shift $(printf 'key Up %.0s' {1..30}) up shift \
        down ctrl $(printf 'key Right %.0s' {1..13}) up ctrl
      START=$CROSS
      by_keys $zoom
      picked $MEASURED
    done
    ;;
esac

left=$(comm -13 <(echo "$before") <(screenshots))
[ -z "$left" ] || fail "screenshot files left behind: $left"
pass
