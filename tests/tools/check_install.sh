#!/usr/bin/env bash
# Installs into a scratch prefix and checks the binary, the menu entry, its
# icon and the colour files' type land where desktops look for them, and
# that the entry opens that type. Where update-mime-database is installed,
# the type must build into a MIME database.
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
for f in bin/Tintra share/applications/tintra.desktop share/pixmaps/tintra.xpm \
  share/mime/packages/tintra.xml; do
  [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done
entry="$prefix/share/applications/tintra.desktop"
grep -q '^Exec=Tintra %f$' "$entry"
grep -q '^Icon=tintra$' "$entry"
grep -q '^MimeType=application/x-tintra-kvc;$' "$entry"
if command -v update-mime-database >/dev/null; then
  XDG_DATA_DIRS="$prefix/share" update-mime-database "$prefix/share/mime" 2>"$prefix/mime.log"
  [ ! -s "$prefix/mime.log" ] || { cat "$prefix/mime.log"; exit 1; }
  grep -q '^50:application/x-tintra-kvc:\*\.kvc$' "$prefix/share/mime/globs2" ||
    { echo "*.kvc is not application/x-tintra-kvc"; exit 1; }
fi
echo "install layout ok"
