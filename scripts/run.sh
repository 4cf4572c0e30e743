#!/usr/bin/env bash
# Starts Tintra, or says in one line why it cannot.
#
#   scripts/run.sh BINARY     # starts it
#   scripts/run.sh --check    # only says whether there is a display for it
set -euo pipefail
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display to open Tintra's window on: run it from a desktop session, or try 'xvfb-run -a make run'." >&2
  exit 1
fi
[ "${1:-}" = --check ] && exit 0
exec "${1:?usage: scripts/run.sh BINARY | --check}"
