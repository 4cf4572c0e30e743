#!/usr/bin/env bash
# Without a display it can reach, the real binary says which in one
# Norwegian line on stderr and exits with status 1 (not Qt's abort): with no
# display set, with an X display no server answers on, and with a Wayland
# socket that is not there.
source "$(dirname "$0")/lib.sh"
BIN=$1

# expect_no_display TEXT [VAR=VALUE ...]: runs the program with no display
# but the given settings; its one line must hold TEXT.
expect_no_display() {
  local text=$1 rc=0
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" \
    timeout 20 "$BIN" >"$TMP/out" 2>"$TMP/err" || rc=$?
  [ "$rc" = 1 ] || { cat "$TMP/err" >&2; fail "$text: status $rc, expected 1"; }
  # One newline, and that at the end.
  [ "$(wc -l <"$TMP/err")" = 1 ] && [ -z "$(tail -c 1 "$TMP/err")" ] ||
    { cat "$TMP/err" >&2; fail "$text: not one line on stderr"; }
  grep -q "^Tintra: .*skjerm.*$text" "$TMP/err" || fail "$text: stderr holds '$(cat "$TMP/err")'"
  [ ! -s "$TMP/out" ] || fail "$text: something on stdout"
}

expect_no_display "verken DISPLAY eller WAYLAND_DISPLAY"
expect_no_display "«:99999»" DISPLAY=:99999
expect_no_display "«$TMP/runtime/wayland-missing»" QT_QPA_PLATFORM=wayland \
  WAYLAND_DISPLAY="$TMP/runtime/wayland-missing"
pass
