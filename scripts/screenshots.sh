#!/usr/bin/env bash
# Takes the README's screenshots of the real program under Xvfb:
#   scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -f "${1:-$root/build}")
source "$root/tests/e2e/lib.sh"
start_xvfb 900x520x24
xsetroot -solid '#3A6EA5'

shoot() { # shoot NAME [X Y W H]: the main window, or a part of the screen
  if [ $# -eq 1 ]; then
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
    set -- "$1" "$X" "$Y" "$WIDTH" "$HEIGHT"
  fi
  "$build/tests/xgrab" "$root/docs/$1.png" "$2" "$3" "$4" "$5"
}

# A few favourites in a colour file the program opens at start.
mkdir -p "$XDG_CONFIG_HOME/Tintra" "$TMP/farger"
printf '%s\r\n' '16711680,"Blå"' '8421504,"Grå"' '32768,"Grønn"' '33023,"Oransje"' \
  '8421631,"Laks"' >"$TMP/farger/Eksempel.kvc"
printf '[Tilpass]\nPath=%s\nFileName=Eksempel.kvc\nActiveTab=1\nHexFormat=5\n' \
  "$TMP/farger" >"$XDG_CONFIG_HOME/Tintra/Tintra.conf"
start_tintra "$build/app/Tintra"

# A colour picked from the chart, in the HTML notation, one shade lighter.
click_at 452 176
shoot tintra-chart

# The favourites.
click_at 505 40
click_at 380 108
shoot tintra-favourites

# The contrast band for a colour pasted as OKLCH on a cream background
# ("Lim inn bakgrunn"), the RGB list open on the CSS notations, OKLCH chosen.
paste() { printf '%s' "$1" | xclip -selection clipboard && sleep 0.2; }
click_at 370 40
paste '#FFF8E7'
click_at 14 274
xdotool key l
paste 'oklch(48% 0.14 262)'
xdotool key --window "$WIN" ctrl+v
click_at 54 66
xdotool key End Return
click_at 54 36
xdotool key End Return
click_at 54 36
sleep 0.5
shoot tintra-contrast
xdotool key Escape
echo "screenshots written to docs/"
