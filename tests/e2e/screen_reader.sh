#!/usr/bin/env bash
# What a screen reader finds in the running program through AT-SPI, on buses
# of the test's own: names, the chart's cells, a favourite (screen_reader.py).
[ -n "${IN_SESSION:-}" ] || IN_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
source "$(dirname "$0")/lib.sh"
# Asking for its address starts the accessibility bus (at-spi-bus-launcher).
poll 10 quiet dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
  org.a11y.Bus.GetAddress || fail "the accessibility bus did not start"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_tintra "$1"
click_at 505 37 # the tab "Favoritter"
spar "Lys grå"
missing=$(/usr/bin/python3 "$(dirname "$0")/screen_reader.py" "Lys grå" 2>&1) ||
  fail "a screen reader does not find ${missing//$'\n'/; }"
pass
