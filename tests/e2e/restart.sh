#!/usr/bin/env bash
# A first start and "Fil > Avslutt" store the keys and PM.bmp (in the data
# folder), also when the question about unsaved favourites is answered
# Avbryt, which keeps the window; a second start finds them, its file gone
# and PM.bmp a named pipe, without a word or a wait; a named pipe as settings
# is left alone.
source "$(dirname "$0")/lib.sh"
work="$TMP/work"
mkdir -p "$work"
conf="$XDG_CONFIG_HOME/Tintra/Tintra.conf"

start_tintra "$1" "$work"
[ ! -e "$conf" ] || fail "settings existed before the first exit"
# Hex notation "CSS" (the last entry), then the tab "Favoritter".
click_at 54 66
xdotool key End Return
sleep 0.3
click_at 505 37
spar Ny
key alt+f
sleep 0.3
xdotool key a
dismiss "$BOX_TITLE" "the exit question" Escape
sleep 0.5
alive "$APP_PID" "Tintra, after Avbryt at the exit question,"
for kv in HexFormat=6 RgbFormat=0 ZoomFactor=3 ActiveTab=3 FileName=NyFargefil.kvc \
  MainLeft=255 MainTop=255; do
  grep -qx "$kv" "$conf" || fail "settings lack $kv: $(tr '\n' ' ' <"$conf")"
done
grep -q '^Path=' "$conf" || fail "settings lack Path"
[ "$(head -c 2 "$XDG_DATA_HOME/Tintra/PM.bmp")" = "BM" ] || fail "PM.bmp is not a BMP picture"
# Nei ends the program at once, storing nothing more.
rm "$XDG_DATA_HOME/Tintra/PM.bmp"
key alt+f
sleep 0.3
xdotool key a
dismiss "$BOX_TITLE" "the exit question" n
tintra_ended 10 || fail "Nei at exit did not end the program"
[ ! -e "$XDG_DATA_HOME/Tintra/PM.bmp" ] || fail "Nei at exit wrote PM.bmp"
[ -z "$(ls -A "$work")" ] || fail "the working folder got files: $(ls -A "$work")"

mkfifo "$XDG_DATA_HOME/Tintra/PM.bmp" # reading it would wait for ever
start_tintra "$1" "$work"
# The chart's place shows the favourites (no box): a click picks nothing.
click_at 452 176
click_at 297 69
expect_clipboard '#808080'
quit_via_menu

# A named pipe in the settings' place is no settings: the window comes up as
# on a first start, and the pipe is still there after the exit.
rm "$conf"
mkfifo "$conf"
start_tintra "$1" "$work" "^Tintra - NyFargefil.kvc$"
quit_via_menu
[ -p "$conf" ] || fail "the exit replaced the named pipe of the settings"
pass
