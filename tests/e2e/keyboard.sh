#!/usr/bin/env bash
# A session by keyboard alone: a chart cell picked, kept with "Spar", renamed,
# picked back after a slider move, the other favourite deleted, read through
# copy buttons; Ctrl+S writes the rest. Access keys are underlined while Alt is.
source "$(dirname "$0")/lib.sh"
dir="$TMP/farger"
mkdir -p "$dir"
printf '255,"R\xf8d"\r\n' >"$dir/Mine.kvc"
settings "Path=$dir" FileName=Mine.kvc
start_tintra "$1"

keys() { xdotool key --delay 50 "$@" && sleep 0.3; }
# answer TITLE KEYS...: the dialog takes the keys, as under a window manager.
answer() {
  local id
  id=$(wait_window "$1" 5) || fail "no window '$1'"
  focus "$id"
  keys "${@:2}"
  focus
}
# copy BACKTABS EXPECTED: Shift+Tabs from the red slider (Alt+R): 3 hex, 5 RGB.
copy() {
  keys alt+r $(printf 'shift+Tab %.0s' $(seq "$1")) space
  expect_clipboard "$2"
}
# After the lightness slider (Alt+L) come the tab strip and its panel.
panel() { keys alt+l Tab Tab "$@"; }

# Alt+K shows the chart; its cursor starts on grey 128, under 993300.
keys alt+k
panel Up Return
copy 3 "3399"
# "Spar" comes after the chart, "Punktmål" and the zoom list.
panel Tab Tab Tab space
answer "^Lagre farge$" B r u n Return
panel F2
answer "^Endre fargenavn$" K a s t a n j e Return
keys alt+r End
copy 5 "255,51,0"
panel Return
copy 3 "3399"
panel Down Delete
answer "^Slett farge$" Return

keys ctrl+s
expected=$(printf '13209,"Kastanje"\r\n' | od -An -tx1)
actual=$(od -An -tx1 <"$dir/Mine.kvc")
[ "$expected" = "$actual" ] || fail "saved file differs: $actual"

# shot NAME: the window's left part, menu bar and slider captions.
shot() {
  eval "$(xdotool getwindowgeometry --shell "$WIN")"
  "$2/xgrab" "$TMP/$1.png" "$X" "$Y" 80 $((MENU_H + 250))
}
focus
shot plain "$2"
xdotool keydown alt && sleep 0.5
shot alt "$2"
xdotool keyup alt && sleep 0.5
shot after "$2"
"$2/imgtool" same "$TMP/plain.png" "$TMP/after.png" || fail "underlines stay after Alt"
! "$2/imgtool" same "$TMP/plain.png" "$TMP/alt.png" || fail "no underlines while Alt is held"
pass
