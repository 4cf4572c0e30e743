#!/usr/bin/env bash
# No Åpne, Ny, Lagre or Avslutt shrinks or replaces a colour file unless chosen
# in a dialog: a bad record (also after 50 MB), a text file, an unreadable file
# and a pipe are reported without a freeze; Ctrl+S and the exit question's Ja
# bring the Save dialog. A fresh home's first save goes to Documents as
# NAME.kvc, listed by Open. Qt's settings file stays unwritten.
source "$(dirname "$0")/lib.sh"
bin=$(readlink -f "$1")

export HOME="$TMP/home"
dir="$TMP/farger" work="$TMP/work"
mkdir -p "$HOME/Documents" "$dir" "$work"
rec() { printf '%s,"%s"\r\n' "$1" "$2"; }
{ rec 1 en; rec x to; rec 3 tre; rec 4 fire; } >"$dir/fire.kvc"
printf 'Handleliste:\nmelk, brød\n' >"$dir/notes.txt"
{ awk 'BEGIN { for (i = 0; i < 3600000; i++) printf "66051,\"fyll\"\r\n" }'; rec 101 siste; rec -5 x; } >"$dir/stor.kvc"
{ printf '9,"'; head -c 10000000 /dev/zero | tr '\0' n; printf '"\r\n'; } >"$dir/langt_navn.kvc"
rec 110 hemmelig >"$dir/ulesbar.kvc"
mkfifo "$dir/ror.kvc" # reading would wait for a writer for ever
rec 7 gammel >"$dir/NyFargefil.kvc"

as_nobody "$HOME" "$dir" "$work"
chmod 000 "$dir/ulesbar.kvc"
sums() { (cd "$dir" && md5sum fire.kvc notes.txt NyFargefil.kvc stor.kvc langt_navn.kvc); }
before=$(sums)

start_tintra "$bin" "$work"
same() {
  [ "$before" = "$(sums)" ] || fail "$1: a file changed: $(diff <(echo "$before") <(sums))"
}

# A new list's first Save dialog opens in Documents: a bare name lands there.
spar Forste
key ctrl+s
wait_window "$SAVE_TITLE" 10 >/dev/null || fail "no Save dialog"
sleep 0.3
xdotool type --delay 5 "Webprosjekt"
xdotool key Return
poll 3 test -f "$HOME/Documents/Webprosjekt.kvc" || fail "the first save did not land in Documents"
# After Ny, the Open dialog lists it: its list's only entry opens.
key ctrl+n
key ctrl+o
id=$(wait_window "$OPEN_TITLE" 10) || fail "no Open dialog"
focus "$id"
xdotool key shift+Tab space Return
WIN=$(wait_window "^Tintra - Webprosjekt.kvc\$" 10) || fail "the Open dialog does not list Webprosjekt.kvc"

# probe K COLOUR: box K clicked, the Long text's "Kopi" gives COLOUR (45 s: 50 MB).
probe() {
  click_at 380 $((70 + 19 * $1))
  click_at 297 101
  expect_clipboard "$2" 45
}
open_file "$dir/langt_navn.kvc"
probe 0 9
for f in fire.kvc notes.txt stor.kvc ulesbar.kvc ror.kvc; do
  open_file "$dir/$f"
  dismiss "$BOX_TITLE" "$f: no word of the partial read"
  key ctrl+s
  dismiss "$SAVE_TITLE" "$f: Ctrl+S" Escape
  [ "$f" != stor.kvc ] || probe 0 101
done
# Changed, then Avslutt: Ja brings the dialog, whose Cancel keeps it open.
spar Ny
exit_answering alt+j
dismiss "$SAVE_TITLE" "Ja at exit" Escape
sleep 0.5
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended although the save was cancelled"
same "Avslutt"
open_file "$dir/NyFargefil.kvc" alt+n
focus
quit_via_menu
same "the end"
[ -z "$(ls -A "$work")" ] || fail "the working folder got files: $(ls -A "$work")"
[ -f "$XDG_DATA_HOME/Tintra/PM.bmp" ] || fail "no PM.bmp in the data folder"
[ ! -e "$XDG_CONFIG_HOME/QtProject.conf" ] || fail "the file dialogs wrote QtProject.conf"
pass
