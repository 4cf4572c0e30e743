#!/usr/bin/env bash
# A click on a chart cell makes its exact colour current (read through
# "Kopi") at scale factors 1, 1.5 and 2 (every device pixel of a scaled
# picture answering what it shows: test_picture_box). A colour pasted from the X
# clipboard with Ctrl+V comes out of both copy buttons in other notations,
# the second copy 0.2 s after the first, and so does a colour name; a box of
# the pick history picks its colour again. "Mål bakgrunn" in the contrast
# band's menu makes a measured screen colour the background, not the colour.
source "$(dirname "$0")/lib.sh"
tools="$2"
start_xvfb 1600x1000x24
xsetroot -solid '#2E8B57'

# choose Y N: entry N (from 0) of the notation list at client height Y.
choose() {
  click_at 54 "$1"
  xdotool key Home $(for _ in $(seq "$2"); do echo Down; done) Return
  sleep 0.3
}

for scale in 1 1.5 2; do
  export QT_SCALE_FACTOR=$scale
  rm -rf "$XDG_CONFIG_HOME/Tintra" # each run from the default notations
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
  if [ "$scale" = 1 ]; then
    printf '#336699' | xclip -selection clipboard
    xdotool key --window "$WIN" ctrl+v
    sleep 0.3
    choose 66 3 # Delphi
    choose 36 4 # Flyttall
    click_at 297 38
    expect_clipboard '0.200, 0.400, 0.600' 0
    click_at 297 69
    expect_clipboard '$00996633' 0
    # A colour name of the web pastes; a box of the pick history (client
    # 26, 294: the second, the #336699 pasted before) picks it again.
    printf 'rebeccapurple' | xclip -selection clipboard
    xdotool key --window "$WIN" ctrl+v
    sleep 0.3
    click_at 297 38
    expect_clipboard '0.400, 0.200, 0.600' 0
    click_at 26 294
    click_at 297 38
    expect_clipboard '0.200, 0.400, 0.600' 0
    # The background measured through "Zoom x8", then swapped in.
    click_at 14 274
    xdotool key m
    wait_for_still 1200 700
    xdotool click 1
    ZOOM=$(wait_window "^Zoom" 5) || fail "no Zoom window"
    xdotool mousemove --window "$ZOOM" 95 95 click 1
    WIN=$(wait_window "^Tintra - " 5) || fail "the main window did not come back"
    click_at 297 69
    expect_clipboard '$00996633'
    click_at 14 274
    xdotool key b
    click_at 297 69
    expect_clipboard '$00578B2E'
  fi
  stop_tintra
done
pass
