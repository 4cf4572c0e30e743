#!/usr/bin/env bash
# The GNOME and KDE rows of the benchmark table: a headless GNOME Shell or
# KWin of its own at 1920 x 1080 with its portal (tests/e2e/wayland_lib.sh),
# where
#   - desktoptool times the bare calls a still can come from, RUNS times:
#     on KDE KWin's ScreenShot2 of the screen ("wl.kde"); on GNOME the
#     Shell's own Screenshot call ("wl.gnome"), which only a bus name of
#     GNOME's own may make: a program's way there is the portal;
#   - tintra_bench times "Punktmål"'s tick until the still is on screen, the
#     still taken as the program takes it on that desktop (PortalStill); on
#     GNOME, between its iterations, portal_time times the bare portal
#     screenshot request ("wl.portal", its question answered before), so
#     that the machine's other work weighs on both alike.
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
  STILL_ENV=(TINTRA_BENCH_BARE="$SESSION/bin/portal_time -")
else
  start_kde
fi
cp "$build/bench/tintra_bench" "$SESSION/bin/tintra_bench"
[ ${#RUN_AS[@]} -eq 0 ] || chown "$WAYLAND_USER" "$SESSION/bin/tintra_bench"
in_session "$SESSION/bin/desktoptool" shot "$DESKTOP" "$SESSION/work/shot.png" "$runs" ||
  fail "desktoptool shot $DESKTOP failed"

portal_still_bench still.csv "$out"
if [ "$4" = gnome ]; then
  grep '^wl\.portal ' "$SESSION/log/bench.log" || fail "the bare portal request failed"
fi
