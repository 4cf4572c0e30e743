#!/usr/bin/env bash
# Takes the README's screenshots of the real program under Xvfb:
#   scripts/screenshots.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -f "${1:-$root/build}")
source "$root/tests/e2e/lib.sh"
start_xvfb 800x500x24
start_tintra "$build/app/Tintra"

shoot() { # shoot NAME: the main window, frame and all
  eval "$(xdotool getwindowgeometry --shell "$WIN")"
  "$build/tests/xgrab" "$root/docs/$1.png" "$X" "$Y" "$WIDTH" "$HEIGHT"
}

# A colour picked from the chart, shown in the HTML notation.
click_at 452 176
shoot tintra-chart
echo "screenshots written to docs/"
