#!/usr/bin/env bash
# A whole session of the real binary by keyboard alone, xdotool keys without
# a pointer move: a chart cell picked, kept with "Spar", renamed, picked back
# and the other favourite deleted, each colour read through a copy button and
# xclip; Ctrl+S then writes what is left.
source "$(dirname "$0")/lib.sh"

dir="$TMP/farger"
mkdir -p "$dir" "$XDG_CONFIG_HOME/Tintra"
printf '255,"R\xf8d"\r\n' >"$dir/Mine.kvc"
printf '[Tilpass]\nPath=%s\nFileName=Mine.kvc\n' "$dir" >"$XDG_CONFIG_HOME/Tintra/Tintra.conf"
start_tintra "$1"

keys() {
  xdotool key --delay 50 "$@"
  sleep 0.3
}
# answer TITLE WHAT KEYS...: the dialog or message box TITLE takes the keys
# (as a window manager would, the new window has the keyboard).
answer() {
  local id
  id=$(wait_window "$1" 5) || fail "$2: no window '$1'"
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  shift 2
  keys "$@"
  xdotool windowfocus --sync "$WIN" 2>/dev/null || true
}
# Alt+R reaches the red slider; three steps back is the hex text's copy
# button.
copy_hex() {
  keys alt+r shift+Tab shift+Tab shift+Tab space
  expect_clipboard "$1"
}
# Alt+L reaches the lightness slider; after it come the tab strip and the
# panel it shows.
to_panel() {
  keys alt+l Tab Tab
}

# Alt+K shows the chart (the file opened on the favourites). Its cursor
# starts on the cell of the colour at start, grey 128; above it lies 993300.
keys alt+k
to_panel
keys Up Return
copy_hex "3399"

# "Spar", after the chart, "Punktmål" and the zoom list, names it; it goes on
# top of the favourites, which show.
to_panel
keys Tab Tab Tab space
answer "^Lagre farge$" "Spar" B r u n Return
to_panel
keys F2
answer "^Endre fargenavn$" "F2" K a s t a n j e Return

# Another colour, then Enter on the top box picks it back.
keys alt+r End
copy_hex "33FF"
to_panel
keys Return
copy_hex "3399"

# Delete asks about the red box below it.
to_panel
keys Down Delete
answer "^Slett farge$" "Delete" Return

keys ctrl+s
expected=$(printf '13209,"Kastanje"\r\n' | od -An -tx1)
actual=$(od -An -tx1 <"$dir/Mine.kvc")
[ "$expected" = "$actual" ] || fail "saved file differs: $actual"
pass
