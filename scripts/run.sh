#!/usr/bin/env bash
# Starts Tintra, or says in one line why it cannot.
set -euo pipefail
binary="$1"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display to open Tintra's window on: run it from a desktop session, or try 'xvfb-run -a make run'." >&2
  exit 1
fi
exec "$binary"
