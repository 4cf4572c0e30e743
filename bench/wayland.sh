#!/usr/bin/env bash
# The Wayland rows of the benchmark table: a headless sway of its own at
# 1920 x 1080 with the desktop portal (tests/e2e/wayland_lib.sh), where
#   - grim writes the output to a PNG, RUNS times: the floor of a still
#     through the portal, whose screenshot back-end runs grim itself;
#   - tintra_bench times "Punktmål"'s tick until the still is on screen,
#     taken as the program takes it there: by the compositor's screen copy
#     (PortalStill, named for the portal it falls back to).
# Prints the grim samples as "wl.grim MICROSECONDS" and writes the
# benchmark's CSV to OUT_CSV.
#
#   bench/wayland.sh BUILD_DIR RUNS OUT_CSV [--smoke]
source "$(dirname "$0")/../tests/e2e/wayland_lib.sh"
source "$(dirname "$0")/still.sh"
build=$1
runs=$2
out=$3
smoke=${4:-}
TOOLS=$build/tests # the pointer's tool, where the tests are built
[ -x "$TOOLS/desktoptool" ] || TOOLS=$build/bench

start_wayland 1920x1080
cp "$build/bench/tintra_bench" "$SESSION/bin/tintra_bench"
[ ${#RUN_AS[@]} -eq 0 ] || chown "$WAYLAND_USER" "$SESSION/bin/tintra_bench"

in_session sh -c '
  for i in $(seq "$1"); do
    s=$(date +%s%N)
    grim -t png "$PWD/grim.png"
    e=$(date +%s%N)
    echo "wl.grim $(((e - s) / 1000))"
  done' sh "$runs" || fail "grim could not copy the output"

portal_still_bench portal.csv "$out"
