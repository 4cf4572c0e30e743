#!/usr/bin/env bash
# Point measurement by keyboard on a real Wayland desktop (the screen from the
# desktop portal), at output scales 1 and 2, over a background with no two
# pixels alike: a pick one pixel off, or a still shifted or scaled, gives
# another colour. wayland_measure.sh TINTRA_BINARY TOOLS_FOLDER
source "$(dirname "$0")/wayland_lib.sh"
BIN=$1
TOOLS=$2
W=1920
H=1080

QT_QPA_PLATFORM=offscreen "$TOOLS/imgtool" unique $W $H "$SESSION/unique.png" 2>/dev/null ||
  fail "imgtool could not write the background picture"
start_wayland ${W}x$H "$SESSION/unique.png"

# unique_hex X Y: the plain hex text of the background's pixel (X, Y).
unique_hex() {
  local r=$(($1 & 255)) g=$(($2 & 255)) b=$((($1 >> 8) | (($2 >> 8) << 4)))
  printf '%X' $((r + 256 * g + 65536 * b))
}

# capture_window: the main window has stepped aside for the still, which has
# the keyboard.
capture_window() {
  ! window_matches 'title="^Tintra - "' && window_matches 'app_id="^[Tt]intra$" con_id=__focused__'
}

main_window_back() { window_matches 'title="^Tintra - " con_id=__focused__'; }

# copy_hex EXPECTED: "Kopi" of the hex text by keyboard from "Punktmål", which
# has the focus a moment after the main window (keys before are lost).
copy_hex() {
  sleep 1
  keys -k Tab -k Tab -k Tab -k space
  expect_clipboard "$1"
}

# Files in the session's /tmp, where the portal puts its screenshots (in a
# /tmp shared with the machine, only the portal's own name is ours).
tmp_files() {
  if [ "$SESSION_TMP" = /tmp ]; then
    ls -A /tmp/out.png 2>/dev/null || true
  else
    ls -A "$SESSION_TMP"
  fi
}

# begin_measure ZOOMFACTOR: the program with that zoom choice; Alt+P
# ("&Punktmål") brings up the still.
begin_measure() {
  tintra_settings ZoomFactor="$1"
  start_tintra "$BIN"
  keys -M alt p -m alt
  poll 5 capture_window || fail "Alt+P showed no capture window"
}

# measure_plain: "Uten zoom". The cross-hair starts at the screen's centre
# (the headless seat has no pointer); arrows move it one device pixel, with
# Shift ten, from (960, 540) to (973, 542); Enter takes the colour there.
measure_plain() {
  begin_measure 0
  keys -k Right -k Right -k Right -k Down -k Down -M shift -k Right -m shift -k Return
  poll 5 main_window_back || fail "Enter did not end the measurement"
  copy_hex "$(unique_hex 973 542)"
  stop_tintra
}

# measure_zoom KEY: "Zoom x8", its magnifier drawn inside the capture window
# (no window of its own). The cross-hair moves to (959, 529); KEY (space or
# Return) holds its block there, the arrows then move the chosen pixel to
# (961, 530) and Enter takes it.
measure_zoom() {
  begin_measure 3
  ! window_matches 'title="^Zoom"' || fail "a Zoom window of its own on Wayland"
  keys -k Left -k Up -M shift -k Up -m shift -k "$1"
  keys -k Right -k Right -k Down -k Return
  poll 5 main_window_back || fail "Enter in the Zoom window did not end the measurement"
  copy_hex "$(unique_hex 961 530)"
  stop_tintra
}

# measure_escape: Escape leaves with the start colour unchanged.
measure_escape() {
  begin_measure 3
  keys -k Right -k Escape
  poll 5 main_window_back || fail "Escape did not end the measurement"
  ! window_matches 'title="^Zoom"' || fail "the Zoom window stayed after Escape"
  copy_hex 808080
  stop_tintra
}

# measure_pick: --pick without a main window: the keys move the cross-hair to
# (961, 541), and Enter prints its hex text and ends with status 0.
measure_pick() {
  local rc=0
  tintra_settings ZoomFactor=0
  start_in_session pick env QT_QPA_PLATFORM=wayland "$SESSION/bin/Tintra" --pick
  APP_PID=$!
  poll 5 capture_window || fail "--pick showed no capture window"
  keys -k Right -k Down -k Return
  poll 10 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail "--pick did not end after Enter"
  wait "$APP_PID" || rc=$?
  APP_PID=""
  grep -qx "$(unique_hex 961 541)" "$SESSION/log/pick.log" && [ "$rc" = 0 ] ||
    fail "--pick: status $rc, printed $(cat "$SESSION/log/pick.log")"
}

# The main window comes up on the native platform, and Alt+F, A ("Fil >
# Avslutt") closes it.
tintra_settings ZoomFactor=3
start_tintra "$BIN"
keys -M alt f -m alt
keys a
poll 5 eval '! window_matches "title=\"^Tintra - \""' ||
  fail "Alt+F, A did not close the main window: the Fil menu did not open"
# The program ends itself before Qt 6.4's wayland teardown can hang for good.
tintra_ended 5 || fail "Tintra still ran 5 s after its window closed"

before=$(tmp_files)
measure_plain
measure_zoom space
measure_zoom Return
measure_escape
measure_pick
# At scale 2 the same keys reach the same device pixels.
output_scale 2
measure_plain
measure_zoom space
[ "$(tmp_files)" = "$before" ] ||
  fail "the measurements left files in the session's /tmp: $(comm -13 <(echo "$before") <(tmp_files) | tr '\n' ' ')"
pass
