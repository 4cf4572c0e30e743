#!/usr/bin/env bash
# Hostile colour files through the real binary (50 MB, 10 MB lines, NULs, 40
# digits, colours out of range, an open quote, bad UTF-8, a folder, an
# unreadable file, named pipes, one as PM.bmp): no crash or freeze, the
# records before the bad one show, the user is told, Ctrl+S brings only the
# Save dialog, nothing is written.
source "$(dirname "$0")/lib.sh"
bin=$(readlink -f "$1")

dir="$TMP/f"
work="$TMP/work"
mkdir -p "$dir/mappe.kvc" "$work"

# Every file starts with A (oldest) and B, which differs per file.
A=1193046
rec() { printf '%s,"%s"\r\n' "$1" "$2"; }
good() { rec $A "første"; rec "$1" "andre"; }
{ awk 'BEGIN { for (i = 0; i < 3600000; i++) printf "66051,\"fyll\"\r\n" }'; good 101; rec -5 x; } >"$dir/stor.kvc"
{ good 102; printf '9,"'; head -c 10000000 /dev/zero | tr '\0' n; printf '"\r\n'; } >"$dir/langt_navn.kvc"
{ good 103; head -c 10000000 /dev/zero | tr '\0' 7; printf ',"x"\r\n'; rec 7 etter; } >"$dir/langt_tall.kvc"
{ rec $A "første"; printf '104,"n\0l"\r\n5\0,"x"\r\n'; rec 7 etter; } >"$dir/nul.kvc"
{ good 105; rec 1234567890123456789012345678901234567890 x; rec 7 etter; } >"$dir/sifre.kvc"
{ good 106; rec -255 negativ; rec 7 etter; } >"$dir/negativ.kvc"
{ good 107; rec 16777216 over; rec 7 etter; } >"$dir/over.kvc"
{ good 108; printf '5,"uten slutt\r\n6,uten anf\xf8rsel\r\n'; } >"$dir/apent.kvc"
{ rec $A "R\xf8d"; printf '109,"R\xc3\xb8d \xc3\x28 \x80"\r\n\xc3\xa5,"x"\r\n'; rec 7 etter; } >"$dir/blanding.kvc"
printf '110,"hemmelig"\r\n' >"$dir/ulesbar.kvc"
mkfifo "$dir/ror.kvc" # reading would wait for a writer for ever
mkdir -p "$XDG_DATA_HOME/Tintra"
mkfifo "$XDG_DATA_HOME/Tintra/PM.bmp"

# Start-up opens the folder remembered as the last colour file.
settings "Path=$dir/" FileName=mappe.kvc ActiveTab=3

as_nobody "$dir" "$work"
chmod 000 "$dir/ulesbar.kvc"
listing() { (cd "$dir" && find . -printf '%p %s %T@ %m\n' | sort && find . -type f -exec md5sum {} + | sort); }
before=$(listing)

start_xvfb
# The window comes up with the remembered folder's file.
start_tintra "$bin" "$work" "^Tintra - mappe.kvc$"
dismiss "$BOX_TITLE" "the folder in the remembered file's place"

# probe FILE K COLOUR: a click on box K (or where it would be) leaves COLOUR,
# read through the Long text's "Kopi" (45 s, for the 50 MB file).
probe() {
  click_at 380 $((70 + 19 * $2))
  click_at 297 101
  expect_clipboard "$3" 45
  alive "$APP_PID" "Tintra ($1, box $2)"
}

# open FILE [partly]: opens FILE; one read only in part is reported, and
# Ctrl+S then brings the Save dialog, here cancelled.
open() {
  open_file "$dir/$1"
  if [ -n "${2:-}" ]; then
    dismiss "$BOX_TITLE" "$1: no word of the partial read"
    key ctrl+s
    dismiss "$SAVE_TITLE" "$1: Ctrl+S" Escape
  fi
  alive "$APP_PID" "Tintra ($1)"
}

probe mappe.kvc 0 8421504 # no box: the start colour stays

open stor.kvc partly
probe stor.kvc 0 101
probe stor.kvc 1 $A
probe stor.kvc 2 66051

open langt_navn.kvc
probe langt_navn.kvc 0 9

# Files that stop at a bad record: what comes before it shows, nothing after.
for f in langt_tall:103 nul:104 sifre:105 negativ:106 over:107 apent:108 blanding:109; do
  open "${f%:*}.kvc" partly
  probe "${f%:*}.kvc" 0 "${f#*:}"
  probe "${f%:*}.kvc" 2 "${f#*:}" # no third box: the colour stays
done

for f in ulesbar.kvc ror.kvc; do
  open $f partly
  probe $f 0 109 # no box: the colour of the last file stays
done

# Nothing was written, also not at the end.
quit_via_menu
[ "$before" = "$(listing)" ] || fail "the folder of the colour files changed: $(diff <(echo "$before") <(listing))"
pass
