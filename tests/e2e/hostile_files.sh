#!/usr/bin/env bash
# Hostile colour files through the real binary: a 50 MB file, lines of 10 MB,
# NUL bytes, numbers of 40 digits, negative and over-range colours, an
# unterminated quote, invalid UTF-8 mixed with Windows-1252, a folder and an
# unreadable file. Each opens without a crash or freeze, the records before
# the bad one show and the ones after it do not, and nothing is written.
# A named pipe must not freeze it either, nor one in the place of the last
# measurement picture, which is read at start-up and written at the end.
# When run as root the program runs as "nobody", so that an unreadable file
# really is unreadable to it.
source "$(dirname "$0")/lib.sh"
bin=$(readlink -f "$1")

dir="$TMP/f"
work="$TMP/work"
mkdir -p "$dir/mappe.kvc" "$work"

# Every file starts with the records A (oldest) and B; B differs per file so
# that a box left over from the file before cannot pass for it.
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
mkfifo "$work/PM.bmp"

# Start-up opens the folder remembered as the last colour file.
mkdir -p "$XDG_CONFIG_HOME/Tintra"
printf '[Tilpass]\nPath=%s/\nFileName=mappe.kvc\nActiveTab=3\n' "$dir" \
  >"$XDG_CONFIG_HOME/Tintra/Tintra.conf"

RUN_AS=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$TMP"
  chown -R 65534:65534 "$dir" "$work" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
  RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
chmod 000 "$dir/ulesbar.kvc"
listing() { (cd "$dir" && find . -printf '%p %s %T@ %m\n' | sort && find . -type f -exec md5sum {} + | sort); }
before=$(listing)

start_xvfb
# The window comes up with the remembered folder's file.
start_tintra "$bin" "$work" "^Tintra - mappe.kvc$"

alive() {
  kill -0 "$APP_PID" 2>/dev/null || { cat "$TMP/app.log" >&2; fail "Tintra died ($1)"; }
}

# wait_clipboard TEXT WHAT: waits (at most 45 s, the 50 MB file included)
# for the program to put TEXT on the clipboard.
wait_clipboard() {
  local got="" end=$((SECONDS + 45))
  while [ $SECONDS -lt $end ]; do
    got=$(timeout 1 xclip -o -selection clipboard 2>/dev/null || true)
    [ "$got" = "$1" ] && return 0
    sleep 0.2
  done
  fail "$2: the clipboard holds '${got:0:40}', expected '$1' (frozen?)"
}

# probe FILE K COLOUR: a click on favourite box K (or on the empty place where
# it would be) leaves COLOUR current; its Long and hex texts are copied.
probe() {
  click_at 380 $((70 + 19 * $2))
  click_at 297 101 # copy the Long text
  wait_clipboard "$3" "$1, box $2"
  click_at 297 69 # copy the hex text
  wait_clipboard "$(printf '%X' "$3")" "$1, box $2"
  alive "$1"
}

open_file() {
  xdotool key ctrl+o
  wait_window "^Åpne$" 10 >/dev/null ||
    fail "$1: no Open dialog"
  sleep 0.3
  xdotool type --delay 5 "$dir/$1"
  xdotool key Return
  WIN=$(wait_window "^Tintra - $1\$" 60) ||
    { alive "$1"; fail "$1 did not open"; }
  alive "$1"
}

probe mappe.kvc 0 8421504 # no box: the start colour stays

open_file stor.kvc
probe stor.kvc 0 101
probe stor.kvc 1 $A
probe stor.kvc 2 66051

open_file langt_navn.kvc
probe langt_navn.kvc 0 9
probe langt_navn.kvc 2 $A
probe langt_navn.kvc 3 $A

# Files that stop at a bad record: what comes before it shows, nothing after.
for f in langt_tall:103 nul:104 sifre:105 negativ:106 over:107 apent:108 blanding:109; do
  open_file "${f%:*}.kvc"
  probe "${f%:*}.kvc" 0 "${f#*:}"
  probe "${f%:*}.kvc" 1 $A
  probe "${f%:*}.kvc" 2 $A
done

for f in ulesbar.kvc ror.kvc; do
  open_file $f
  probe $f 0 $A
done

# Nothing was written, also not at the end.
quit_via_menu
[ "$before" = "$(listing)" ] || fail "the folder of the colour files changed: $(diff <(echo "$before") <(listing))"
pass
