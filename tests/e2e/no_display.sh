#!/usr/bin/env bash
# Without a display it can reach (none set, an X display nobody answers on, a
# missing Wayland socket) the real binary says which in one Norwegian line and
# exits with 1, not Qt's abort; --help and --version answer all the same, and
# a wrong option is refused with 2.
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

# expect_answer STATUS STDOUT STDERR ARGUMENTS...: with no display, the
# output begins as given (nothing where empty).
expect_answer() {
  local status=$1 out=$2 err=$3 rc=0
  shift 3
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$BIN" "$@" >"$TMP/out" 2>"$TMP/err" || rc=$?
  [ "$rc" = "$status" ] && [[ "$(cat "$TMP/out")" == "$out"* && "$(cat "$TMP/err")" == "$err"* ]] &&
    { [ -n "$out" ] || [ ! -s "$TMP/out" ]; } && { [ -n "$err" ] || [ ! -s "$TMP/err" ]; } ||
    fail "$*: status $rc, stdout '$(cat "$TMP/out")', stderr '$(cat "$TMP/err")'"
}
expect_answer 0 "Bruk: Tintra" "" --help
expect_answer 0 "Tintra 1." "" --version
expect_answer 2 "" "Tintra: ukjent valg «--farge»." --farge
pass
