#!/usr/bin/env bash
# "Fil > Avslutt" answered Avbryt stores the keys and PM.bmp, keeping the window;
# a second start finds them, its file gone and PM.bmp a pipe, without a wait.
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
exit_answering Escape
sleep 0.5
alive "$APP_PID" "Tintra, after Avbryt at the exit question,"
for kv in HexFormat=6 RgbFormat=0 ZoomFactor=3 ActiveTab=3 FileName=NyFargefil.kvc \
  MainLeft=255 MainTop=255; do
  grep -qx "$kv" "$conf" || fail "settings lack $kv: $(tr '\n' ' ' <"$conf")"
done
grep -q '^Path=' "$conf" || fail "settings lack Path"
[ "$(head -c 2 "$XDG_DATA_HOME/Tintra/PM.bmp")" = "BM" ] || fail "PM.bmp is not a BMP picture"
exit_answering n # Nei ends at once (storing nothing more: test_main_window)
tintra_ended 10 || fail "Nei at exit did not end the program"
[ -z "$(ls -A "$work")" ] || fail "the working folder got files: $(ls -A "$work")"

rm "$XDG_DATA_HOME/Tintra/PM.bmp"
mkfifo "$XDG_DATA_HOME/Tintra/PM.bmp" # reading it would wait for ever
start_tintra "$1" "$work"
# The chart's place shows the favourites (no box): a click picks nothing.
click_at 452 176
click_at 297 69
expect_clipboard '#808080'
quit_via_menu
pass
