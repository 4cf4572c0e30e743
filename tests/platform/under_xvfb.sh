#!/usr/bin/env bash
# Runs a test program against an Xvfb of its own: under_xvfb.sh PROGRAM [ARGS]
source "$(dirname "$0")/../e2e/lib.sh"
start_xvfb 800x600x24
QT_QPA_PLATFORM=xcb "$@" || fail "$1"
pass
