#!/usr/bin/env bash
# The manual page formats without a warning (as lintian checks it), gives
# whatis an entry, and describes every option of the program.
set -euo pipefail
page=$1
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "$warnings"; exit 1; }
lexgrog "$page" | grep -q ': "Tintra - ' || { echo "no whatis entry: $(lexgrog "$page")"; exit 1; }
text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$page" 2>/dev/null)
for option in --help --version FIL --pick --colour --contrast \
  "--format long|rgb|hex|hsl|css|css-hsl|oklch"; do
  grep -q -- "^       \(-[a-z], \)\?$option\( \|\$\)" <<<"$text" || { echo "option $option not described"; exit 1; }
done
echo "manual page ok"
