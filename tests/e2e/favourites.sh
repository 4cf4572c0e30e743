#!/usr/bin/env bash
# Favourites through the real binary: open a colour file through the File
# menu, pick from a box, add with "Spar", save with Ctrl+S and compare the
# file's bytes.
source "$(dirname "$0")/lib.sh"
start_tintra "$1"

dir="$TMP/farger"
mkdir -p "$dir"
# Oldest first: black "Blå" (Windows-1252 å), then red "Rød".
printf '0,"Bl\xe5"\r\n255,"R\xf8d"\r\n' >"$dir/Mine.kvc"

xdotool key ctrl+o
sleep 1
xdotool type --delay 20 "$dir/Mine.kvc"
xdotool key Return
sleep 0.8
WIN=$(wait_window "^Tintra - Mine.kvc$" 5) ||
  fail "the caption does not name the opened file"

# The favourites panel stands on the chart's place: the top box is red.
click_at 380 70
click_at 297 69 # "Kopi" of the hex text
expect_clipboard "FF"

# "Spar" adds the current colour under a typed name, on top.
click_at 567 281
DLG=$(wait_window "^Lagre farge$" 5) ||
  fail "no name dialog"
xdotool windowfocus --sync "$DLG" 2>/dev/null || true
sleep 0.3
xdotool type --delay 20 "Ny"
xdotool key Return
sleep 0.5

xdotool windowfocus --sync "$WIN" 2>/dev/null || true
xdotool key ctrl+s
sleep 0.5
expected=$(printf '0,"Bl\xe5"\r\n255,"R\xf8d"\r\n255,"Ny"\r\n' | od -An -tx1)
actual=$(od -An -tx1 <"$dir/Mine.kvc")
[ "$expected" = "$actual" ] || fail "saved file differs: $actual"
pass
