#!/usr/bin/env bash
# A colour pasted from the X clipboard with Ctrl+V comes out of both copy
# buttons in other notations (each notation's text: test_notation, and the
# random session's display check); a copy 0.2 s after another goes through.
source "$(dirname "$0")/lib.sh"
start_tintra "$1"

# choose Y N: entry N (from 0) of the notation list at client height Y.
choose() {
  click_at 54 "$1"
  xdotool key Home $(for _ in $(seq "$2"); do echo Down; done) Return
  sleep 0.3
}
# A colour from a style sheet, pasted with Ctrl+V.
printf '#336699' | xclip -selection clipboard
xdotool key --window "$WIN" ctrl+v
sleep 0.3
choose 66 3 # Delphi
click_at 297 69
expect_clipboard '$00996633'
choose 36 4 # Flyttall
click_at 297 38
expect_clipboard '0.200, 0.400, 0.600' 0
click_at 297 69
expect_clipboard '$00996633' 0
pass
