#!/usr/bin/env bash
# A click on a chart cell makes its exact colour current (read through
# "Kopi") at scale factors 1, 1.5 and 2; scaled, each of 12 device pixels
# across a cell border picks the colour it shows.
source "$(dirname "$0")/lib.sh"
tools="$2"
start_xvfb 1600x1000x24

for scale in 1 1.5 2; do
  export QT_SCALE_FACTOR=$scale
  start_tintra "$1"
  if [ "$scale" = 1 ]; then
    # On screen, the chart's drawing area shows exactly the program's chart.
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
    "$tools/xgrab" "$TMP/screen.png" $((X + 336)) $((Y + MENU_H + 60)) 190 190
    "$tools/imgtool" chart "$TMP/chart.png"
    "$tools/imgtool" same "$TMP/screen.png" "$TMP/chart.png" || fail "the chart on screen differs"
  fi
  # Seventh cell of row 10 (FF7C80): client (452, 176) at scale 1.
  click_at 452 176 "$scale"
  click_at 297 69 "$scale"
  expect_clipboard "807CFF"
  if [ "$scale" != 1 ]; then
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
    "$tools/xgrab" "$TMP/screen.png"
    # Client (398, 156) at scale 1 lies a few pixels left of a cell border.
    x0=$(awk -v s="$scale" 'BEGIN { printf "%d", 398 * s }')
    y=$(awk -v s="$scale" -v m="$MENU_H" 'BEGIN { printf "%d", (156 + m) * s }')
    for x in $(seq "$x0" $((x0 + 11))); do
      shown=$("$tools/imgtool" hex "$TMP/screen.png" $((X + x)) $((Y + y)))
      xdotool mousemove --window "$WIN" "$x" "$y" click 1
      sleep 0.2
      click_at 297 69 "$scale"
      expect_clipboard "$shown"
    done
  fi
  stop_tintra
done
pass
