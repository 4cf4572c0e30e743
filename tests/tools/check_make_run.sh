#!/usr/bin/env bash
# `make run` without a display says so in one line before it installs, looks
# up, runs cmake or makes a build folder.
set -euo pipefail
src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; cat "$tmp/err"; exit 1; }

# Each tool the Makefile installs or builds with notes that it was called.
mkdir "$tmp/bin"
for tool in cmake ninja dpkg-query apt-get sudo; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/called"\nexit 1\n' "$tool" "$tmp" >"$tmp/bin/$tool"
  chmod +x "$tmp/bin/$tool"
done
! env -u DISPLAY -u WAYLAND_DISPLAY -u MAKEFLAGS -u MAKELEVEL PATH="$tmp/bin:$PATH" \
  make -C "$src" --no-print-directory run BUILD="$tmp/build" </dev/null >/dev/null 2>"$tmp/err" ||
  fail "make run succeeded without a display"
[ ! -e "$tmp/called" ] || fail "called: $(cat "$tmp/called")"
[ ! -e "$tmp/build" ] || fail "made a build folder"
grep -q "^No display to open Tintra's window on" "$tmp/err" || fail "not the message"
# The one line, and make's own note that the target failed.
[ "$(grep -vc '^make\(\[[0-9]*\]\)\?: \*\*\*' "$tmp/err")" = 1 ] || fail "more than one line"
echo "make run without a display: ok"
