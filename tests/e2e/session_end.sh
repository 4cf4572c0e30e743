#!/usr/bin/env bash
# Unsaved favourites survive every end: SIGTERM, SIGHUP, SIGINT (status 0,
# settings written); a log-out (asking where allowed: Avbryt holds it, Nei
# gives the list up); the X server gone. The next start's Ja brings the list
# back, the file untouched; GNOME's log-out is held meanwhile. kill -9 in a
# 50 MB in-place save leaves the old or new file whole, and nothing lost.
source "$(dirname "$0")/lib.sh"
set -m # background jobs take SIGINT, as from a terminal
bin=$(readlink -f "$1") tools=$2
work="$TMP/work" files="$TMP/farger" locked="$TMP/laast" data="$XDG_DATA_HOME/Tintra"
copy="$data/ulagret.kvc" conf="$XDG_CONFIG_HOME/Tintra/Tintra.conf"
mkdir -p "$work" "$files" "$locked"
rec() { printf '%s,"%s"\r\n' "$1" "$2"; }
{ rec 1 en; rec 2 to; } >"$files/liste.kvc"
sum=$(md5sum <"$files/liste.kvc")
kept() { tail -n +2 "$copy" 2>/dev/null; } # the list in the copy

# A session of our own: GNOME's session manager on a private bus, and XSMP's.
dbus-daemon --session --nofork --print-address=1 --address="unix:path=$TMP/bus" >"$TMP/bus.addr" &
BUS_PID=$!
poll 5 test -s "$TMP/bus.addr" || fail "no D-Bus daemon"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$TMP/bus.addr")
mkfifo "$TMP/sm.in"
"$tools/fake_session" <"$TMP/sm.in" >"$TMP/sm.out" 2>&1 &
SM_PID=$!
exec 3>"$TMP/sm.in"
trap 'kill $SM_PID $BUS_PID 2>/dev/null || true; cleanup' EXIT
poll 5 grep -q '^SESSION_MANAGER=' "$TMP/sm.out" || fail "no session manager"
export "$(grep '^SESSION_MANAGER=' "$TMP/sm.out")"
session() { echo "$1" >&3; }
said() { poll 10 eval "[ \$(grep -c '^$1' '$TMP/sm.out') -ge ${2:-1} ]"; } # said LINE [TIMES]

# start: the remembered liste.kvc, ZoomFactor unreadable (written as 3).
start() {
  settings "Path=$files/" FileName=liste.kvc ActiveTab=3 ZoomFactor=x
  start_tintra "$bin" "$work" "^Tintra - liste.kvc$"
}
# restore WHEN: the next start asks; Ja brings the list back, the file as it was.
restore() {
  local list=$(kept)
  [ -n "$list" ] || fail "$1: no copy of the unsaved list"
  start
  dismiss "$BOX_TITLE" "$1: no question about the unsaved list" alt+j
  poll 5 eval '[ "$(kept)" = "$list" ]' || fail "$1: the list came back otherwise: $(kept)"
  [ "$(md5sum <"$files/liste.kvc")" = "$sum" ] || fail "$1: the colour file changed"
}
# ended WHAT: the program ended by itself with status 0, settings written.
ended() {
  tintra_ended 10 || fail "$1 did not end the program"
  [ "$STATUS" = 0 ] || fail "$1: exit status $STATUS"
  grep -qx 'ZoomFactor=3' "$conf" || fail "$1: the settings were not written"
}

start
for sig in TERM HUP INT; do
  spar "ulagret $sig"
  said "inhibit tintra 1 Favorittlisten i Tintra har endringer som ikke er lagret" ||
    fail "GNOME's log-out is not held"
  kill -"$sig" "$APP_PID"
  ended "SIG$sig"
  [ -s "$data/PM.bmp" ] || fail "SIG$sig: no PM.bmp"
  grep -q "ulagret $sig" "$copy" || fail "SIG$sig: the unsaved favourite was not kept"
  restore "after SIG$sig"
done

# Log-out, asking allowed: Avbryt holds it.
session "save any"
dismiss "$BOX_TITLE" "log-out: no exit question" Escape
said "interact-done cancel=1" && said "save-done success=0" || fail "Avbryt did not hold the log-out"
# Not allowed to ask: the copy is kept, and the end asks nothing.
session "save none"
said "save-done success=1" || fail "the log-out without questions did not finish"
session die
ended "the log-out"
restore "after the log-out"
# Nei at the log-out gives the unsaved list up.
session "save any"
dismiss "$BOX_TITLE" "log-out: no exit question" alt+n
said "save-done success=1" 2 || fail "the log-out with Nei did not finish"
session die
ended "the log-out with Nei"
[ ! -e "$copy" ] || fail "Nei at the log-out kept the copy"

# The X server goes away right after a change.
start
spar "uten skjerm"
kill "$XVFB_PID" && XVFB_PID=""
tintra_ended 10 || fail "the program outlived its X server"
restore "after the X server went"
grep -q "uten skjerm" "$copy" || fail "the change before the X server went was lost"
key ctrl+s
said uninhibit || fail "GNOME's log-out is still held after the save"
quit_via_menu
[ ! -e "$copy" ] || fail "the copy outlived the save"

# kill -9 at the first change of a 50 MB file saved in place (its folder
# refuses new files; LF lines, all changed): old or new stays whole somewhere.
kill "$SM_PID" "$BUS_PID" 2>/dev/null || true
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
old="$TMP/old" new="$TMP/new" file="$locked/stor.kvc"
awk 'BEGIN { for (i = 0; i < 3600000; i++) printf "66051,\"fyll\"\n" }' >"$old"
sed 's/$/\r/' "$old" >"$TMP/crlf"
install -m 666 /dev/null "$file"
settings "Path=$locked/" FileName=stor.kvc ActiveTab=3
as_nobody "$locked" "$work"
chmod 555 "$locked"
for run in 1 2 3 4 5; do
  cat "$old" >"$file"
  start_tintra "$bin" "$work" "^Tintra - stor.kvc$"
  spar "n$run"
  { cat "$TMP/crlf"; rec 8421504 "n$run"; } >"$new"
  state=$(stat -c '%s %y' "$file") end=$((SECONDS + 60))
  key ctrl+s
  while [ "$(stat -c '%s %y' "$file")" = "$state" ]; do
    [ $SECONDS -le $end ] || fail "run $run: the save did not start"
  done
  kill -9 "$APP_PID" && tintra_ended 5
  cmp -s "$file" "$old" || cmp -s "$file" "$new" || tail -n +2 "$data/forrige.kvc" | cmp -s - "$old" ||
    fail "run $run: neither the old file nor the new one is whole anywhere"
  start_tintra "$bin" "$work" "^Tintra - stor.kvc$"
  if [ -e "$copy" ]; then
    dismiss "$BOX_TITLE" "run $run: no question about the unsaved list" alt+j
    key ctrl+s
  fi
  poll 60 cmp -s "$file" "$new" || fail "run $run: the list saved is not the one lost"
  quit_via_menu
done
pass
