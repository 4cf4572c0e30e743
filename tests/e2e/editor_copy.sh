#!/usr/bin/env bash
# The real binary under its own Xvfb: a user-like slider move and a "Kopi"
# click put the expected text on the X clipboard.
source "$(dirname "$0")/lib.sh"
start_tintra "$1"

# The red slider: click its handle to focus it, then End moves it to 255.
click_at 195 179  # the red slider's handle at 128
xdotool key --window "$WIN" End
sleep 0.3
# cmdKopi(0) copies the hex text: 255,128,128 is 8080FF.
click_at 297 69
expect_clipboard "8080FF"
# cmdKopi(1) copies the RGB text.
click_at 297 38
expect_clipboard "255,128,128"
pass
