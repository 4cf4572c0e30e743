#!/usr/bin/env bash
# The GNOME and KDE rows of the benchmark table: a headless GNOME Shell or
# KWin of its own at 1920 x 1080 with its portal (tests/e2e/wayland_lib.sh),
# where tintra_bench times "Punktmål"'s tick until the still is on screen,
# the still taken as the program takes it on that desktop (PortalStill), and
# between its iterations a helper that keeps running times the bare call the
# row compares with, so that the machine's other work weighs on both alike:
#   - on KDE KWin's ScreenShot2 of the screen (desktoptool, "wl.kde");
#   - on GNOME the bare portal screenshot request (portal_time, "wl.portal"),
#     its question answered before; desktoptool also times the Shell's own
#     Screenshot call RUNS times ("wl.gnome"), which only a bus name of
#     GNOME's own may make: a program's way there is the portal.
# Prints the bare samples as "wl.NAME MICROSECONDS" and writes the
# benchmark's CSV to OUT_CSV.
#
#   bench/desktops.sh BUILD_DIR RUNS OUT_CSV gnome|kde [--smoke]
source "$(dirname "$0")/../tests/e2e/wayland_lib.sh"
source "$(dirname "$0")/still.sh"
build=$1
runs=$2
out=$3
smoke=${5:-}
TOOLS=$build/tests
[ -x "$TOOLS/desktoptool" ] || TOOLS=$build/bench

if [ "$4" = gnome ]; then
  start_gnome
  # Asked once and answered, as a user who has used the program before.
  in_session gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore \
    --object-path /org/freedesktop/impl/portal/PermissionStore \
    --method org.freedesktop.impl.portal.PermissionStore.SetPermission screenshot true screenshot '' \
    "['yes']" >/dev/null || fail "the screenshot permission could not be stored"
  cp "$build/bench/portal_time" "$SESSION/bin/"
  bare=(portal "$SESSION/bin/portal_time -")
  in_session "$SESSION/bin/desktoptool" shot gnome "$SESSION/work/shot.png" "$runs" ||
    fail "desktoptool shot gnome failed"
else
  start_kde
  bare=(kde "$SESSION/bin/desktoptool shot kde - -")
fi
cp "$build/bench/tintra_bench" "$SESSION/bin/tintra_bench"
[ ${#RUN_AS[@]} -eq 0 ] || chown "$WAYLAND_USER" "$SESSION/bin/tintra_bench"
STILL_ENV=(TINTRA_BENCH_BARE="${bare[1]}")
portal_still_bench still.csv "$out"
grep "^wl\.${bare[0]} " "$SESSION/log/bench.log" || fail "the bare ${bare[0]} call failed"
