#!/usr/bin/env bash
# Point measurement in the real binary against the X root window: "Uten zoom"
# and through the magnifier, at scale factors 1 and 1.5, on two monitors and
# by keyboard; the result is read with a "Kopi" click and xclip.
source "$(dirname "$0")/lib.sh"
start_xvfb 1600x900x24
# Red lines on blue every 16 pixels: a pick one pixel off gives the other colour.
xsetroot -mod 16 16 -fg '#FF0000' -bg '#0000FF'

begin() { # begin SCALE ZOOMFACTOR: the program at that scale and zoom choice
  export QT_SCALE_FACTOR=$1
  settings ZoomFactor="$2"
  start_tintra "$BIN"
}
# copied SCALE EXPECTED: the measurement over, "Kopi" of the hex text gives
# EXPECTED.
copied() {
  sleep 0.5
  WIN=$(wait_window "^Tintra - " 5) || fail "the main window did not come back"
  click_at 297 69 "$1"
  expect_clipboard "$2"
  stop_tintra
}

# measure_plain SCALE X Y EXPECTED: "Uten zoom", pick screen pixel (X, Y).
measure_plain() {
  begin "$1" 0
  click_at 360 281 "$1" # "Punktmål"
  wait_for_still "$2" "$3"
  # The still shows the screen pixel for pixel right of the main window (one
  # monitor only), but for the keyboard cursor's cross-hair at the pointer
  # (black and white arms, its own pixel left to be seen) where it has not
  # stepped aside; the live label lies below its lower arm.
  if [ -z "${MONITORS:-}" ]; then
    "$TOOLS/xgrab" "$TMP/still.png" 900 0 700 519
    "$TOOLS/imgtool" same "$TMP/screen.png" "$TMP/still.png" ||
      "$TOOLS/imgtool" cross "$TMP/screen.png" "$TMP/still.png" $(($2 - 900)) "$3" 16 ||
      fail "the still differs from the screen"
  fi
  xdotool click 1
  copied "$1" "$4"
}

BIN=$1
TOOLS=$2
"$TOOLS/xgrab" "$TMP/screen.png" 900 0 700 519
# Red (packed FF) where x or y is a multiple of 16, else blue (FF0000): a
# pick on a red line one pixel off either way gives blue. (Picks by mouse
# and keys on the still: test_measure.)
measure_plain 1 1008 501 "FF"
measure_plain 1.5 1009 496 "FF"

# "Zoom x8": press on the still, then click the view where it shows the
# pressed pixel (block pixel 12; view pixel v shows v * 24 / (190 * scale)).
begin 1.5 3
click_at 360 281 1.5
wait_for_still 1008 501
xdotool mousedown 1 mouseup 1
sleep 0.3
ZOOM=$(wait_window "^Zoom" 5) || fail "no Zoom window"
xdotool mousemove --window "$ZOOM" 145 145 click 1
copied 1.5 FF

# Two monitors made from the one screen: the right one can be measured too.
MONITORS=2
xrandr --setmonitor left 800/211x900/238+0+0 screen >/dev/null
xrandr --setmonitor right 800/211x900/238+800+0 none >/dev/null
measure_plain 1 1200 401 "FF"
# At a fractional scale, both monitors' edge pixels. Red every second column
# and row: on an odd row a pick one pixel off gives the other colour.
xsetroot -mod 2 2 -fg '#FF0000' -bg '#0000FF'
for x in 0 800; do
  measure_plain 1.5 "$x" 401 "FF"
  measure_plain 1.5 $((x + 799)) 401 "FF0000"
done

# By keyboard: Alt+P, arrows from the pointer and Space; then arrows and
# Enter in the zoom window, which has the focus.
begin 1.5 3
xdotool key alt+p
wait_for_still 1201 401
xdotool key Up Up space
sleep 0.3
xdotool key Right Right Return
copied 1.5 FF0000

# A 3 x 3 mean on a checkerboard of two colours: round a blue pixel five blue
# and four red, (113, 0, 142) rounded; the choice is kept for the next start.
printf '#define c_width 2\n#define c_height 2\nstatic char c_bits[] = {\n0x01, 0x02};\n' >"$TMP/c.xbm"
xsetroot -bitmap "$TMP/c.xbm" -fg '#FF0000' -bg '#0000FF'
begin 1 0
click_at 360 281
wait_for_still 1008 501
xdotool key 3 click 1
copied 1 8E0071
grep -qx 'Gjennomsnitt=3' "$XDG_CONFIG_HOME/Tintra/Tintra.conf" || fail "the 3 x 3 choice was not kept"
pass
