#!/usr/bin/env bash
# Point measurement on a real Wayland desktop: a headless sway whose
# background is a picture with no two pixels alike, the program on Qt's native
# wayland platform taking the screen from the desktop portal, the measurement
# done by keyboard (wtype), the result copied with the hex text's "Kopi" and
# read back with wl-paste. A pick one pixel off, or a still shifted or scaled,
# gives another colour.
#
#   wayland_measure.sh TINTRA_BINARY TOOLS_FOLDER
source "$(dirname "$0")/wayland_lib.sh"
BIN=$1
TOOLS=$2
W=1920
H=1080

QT_QPA_PLATFORM=offscreen "$TOOLS/imgtool" unique $W $H "$SESSION/unique.png" 2>/dev/null ||
  fail "imgtool could not write the background picture"
start_wayland ${W}x$H "$SESSION/unique.png"

# unique_hex X Y: the hex text ("Hex", plain notation: the packed value
# red + 256 green + 65536 blue in upper-case hex) of the background's pixel
# (X, Y), as imgtool unique draws it.
unique_hex() {
  local r=$(($1 & 255)) g=$(($2 & 255)) b=$((($1 >> 8) | (($2 >> 8) << 4)))
  printf '%X' $((r + 256 * g + 65536 * b))
}

# capture_window: the main window has stepped aside and a window of the
# program's has the keyboard (the still of the screen).
capture_window() {
  ! window_matches 'title="^Tintra - "' && window_matches 'app_id="^[Tt]intra$" con_id=__focused__'
}

# main_window_back: the measurement is over and the main window has the
# keyboard again.
main_window_back() {
  window_matches 'title="^Tintra - " con_id=__focused__'
}

# copy_hex EXPECTED: "Kopi" of the hex text, by keyboard: Alt+P left the
# focus on "Punktmål", and the main window gives it back when it returns;
# from there the third Tab reaches the hex text's "Kopi", which Space
# presses.
copy_hex() {
  # sway has given the window the keyboard; Qt takes it in, and gives the
  # focus back to its widget, a moment later. Keys before that are lost.
  sleep 1
  keys -k Tab -k Tab -k Tab -k space
  expect_clipboard "$1"
}

# Files in the session's /tmp, where the portal puts its screenshots: the
# program reads each and leaves none behind.
tmp_files() {
  if [ "$SESSION_TMP" = /tmp ]; then
    # A /tmp shared with the machine: only the portal's own name is ours.
    ls -A /tmp/out.png 2>/dev/null || true
  else
    ls -A "$SESSION_TMP"
  fi
}

# begin_measure ZOOMFACTOR: the program started with that zoom choice, and
# Alt+P ("&Punktmål") has brought up the still.
begin_measure() {
  tintra_settings ZoomFactor="$1"
  start_tintra "$BIN"
  keys -M alt p -m alt
  poll 5 capture_window || fail "Alt+P showed no capture window"
}

# measure_plain: "Uten zoom". Alt+P ("&Punktmål") starts the
# measurement; the cross-hair starts at the screen's centre (sway's headless
# seat has no pointer, so no pointer position is known); each arrow moves it
# one device pixel, with Shift ten; Enter takes the colour under it. The
# keys move it from (960, 540) to (973, 542).
measure_plain() {
  begin_measure 0
  keys -k Right -k Right -k Right -k Down -k Down -M shift -k Right -m shift -k Return
  poll 5 main_window_back || fail "Enter did not end the measurement"
  copy_hex "$(unique_hex 973 542)"
  stop_tintra
}

# measure_zoom KEY: "Zoom x8". The cross-hair moves from (960, 540) to
# (959, 529); KEY (space or Return) shows its block in the "Zoom" window,
# which takes the keyboard; there the arrows move the highlighted pixel to
# (961, 530) and Enter takes its colour.
measure_zoom() {
  begin_measure 3
  wait_window 'title="^Zoom"' 5 || fail "no Zoom window with Zoom x8"
  keys -k Left -k Up -M shift -k Up -m shift -k "$1"
  keys -k Right -k Right -k Down -k Return
  poll 5 main_window_back || fail "Enter in the Zoom window did not end the measurement"
  copy_hex "$(unique_hex 961 530)"
  stop_tintra
}

# measure_escape: Escape leaves the measurement with the colour unchanged
# (the grey the program starts with).
measure_escape() {
  begin_measure 3
  keys -k Right -k Escape
  poll 5 main_window_back || fail "Escape did not end the measurement"
  ! window_matches 'title="^Zoom"' || fail "the Zoom window stayed after Escape"
  copy_hex 808080
  stop_tintra
}

# measure_pick: Tintra --pick, "Uten zoom": no main window; the still takes
# the keys, moving the cross-hair from (960, 540) to (961, 541), and Enter
# prints the colour's hex text and ends the program with status 0.
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

# The main window comes up on the native platform, and takes keys: its Fil
# menu opens with Alt+F, and "Avslutt" (A) in it closes the window.
tintra_settings ZoomFactor=3
start_tintra "$BIN"
keys -M alt f -m alt
keys a
poll 5 eval '! window_matches "title=\"^Tintra - \""' ||
  fail "Alt+F, A did not close the main window: the Fil menu did not open"
# Qt 6.4's wayland plugin can hang for good in its teardown after the last
# window has closed (its event thread waits in wl_display_read_events while
# the main thread waits for that thread); the program ends itself before it.
tintra_ended 5 || fail "Tintra still ran 5 s after its window closed"

before=$(tmp_files)
measure_plain
measure_zoom space
measure_zoom Return
measure_escape
measure_pick
# At scale 2 the keys still move one device pixel: the same keys reach the
# same screen pixels.
output_scale 2
measure_plain
measure_zoom space
[ "$(tmp_files)" = "$before" ] ||
  fail "the measurements left files in the session's /tmp: $(comm -13 <(echo "$before") <(tmp_files) | tr '\n' ' ')"
pass
