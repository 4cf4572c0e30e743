#!/usr/bin/env bash
# Runs every benchmark of Tintra under an Xvfb of its own and prints one table:
# each figure's median and spread (lowest to highest sample), its goal and how
# the median stands against it.
#
#   bench/run.sh [--smoke] BUILD_DIR
#
# BUILD_DIR is a build with -DTINTRA_BENCH=ON (Release for real figures).
# --smoke runs each benchmark once and checks only that it works.
# Environment:
#   BENCH_RUNS   start-up runs of each program (default 15)
#   BENCH_REPS   repetitions of each in-process benchmark (default 9)
#   BENCH_PEERS  other programs to start the same way, as LABEL=PROGRAM ...;
#                by default the colour pickers gpick and kcolorchooser, for
#                the record, where they are installed
#   BENCH_KEEP   keep the work folder (samples, logs) and print where it is
set -euo pipefail

smoke=0
if [ "${1:-}" = "--smoke" ]; then
  smoke=1
  shift
fi
build=$(readlink -f "${1:?usage: bench/run.sh [--smoke] BUILD_DIR}")
bench="$build/bench/tintra_bench"
probe="$build/bench/startup_probe"
bare="$build/bench/bare_window"
bare_text="$build/bench/bare_window_text"
app="$build/app/Tintra"
for f in "$bench" "$probe" "$bare" "$bare_text" "$app"; do
  [ -x "$f" ] || { echo "bench: $f is missing; build with -DTINTRA_BENCH=ON" >&2; exit 1; }
done

runs=${BENCH_RUNS:-15}
reps=${BENCH_REPS:-9}
if [ "$smoke" = 1 ]; then
  runs=1
  reps=1
fi

TMP=$(mktemp -d)
XVFB_PID=""
cleanup() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  if [ -n "${BENCH_KEEP:-}" ]; then
    echo "bench: samples and logs kept in $TMP" >&2
  else
    rm -rf "$TMP"
  fi
}
trap cleanup EXIT

# The same plain session for every program: no desktop environment that
# would pick a platform theme for one and not for another, no Wayland.
unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE \
  XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP DESKTOP_SESSION GNOME_DESKTOP_SESSION_ID \
  KDE_FULL_SESSION QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
export XDG_RUNTIME_DIR="$TMP/runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# A 4K screen: the still copy is of the whole of it.
start_xvfb() {
  for n in $(seq 150 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 3840x2160x24 -noreset -nolisten tcp >"$TMP/xvfb.log" 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 50); do
        if xdpyinfo >/dev/null 2>&1; then
          return 0
        fi
        sleep 0.1
      done
      kill "$XVFB_PID" 2>/dev/null || true
      XVFB_PID=""
    fi
  done
  echo "bench: no Xvfb display could be started" >&2
  exit 1
}
start_xvfb
# A desktop as a user has it has been drawn on: paint the root once, so the
# server's framebuffer is not being written for the first time by whichever
# program shows a full-screen picture first.
xsetroot -solid '#3a6ea5'

# What a user's start-up finds: settings, a colour file and PM.bmp.
fix="$TMP/fixtures"
"$bench" --make-fixtures "$fix"
samples="$TMP/samples.txt"
: >"$samples"

# --- Start-up and idle memory ------------------------------------------------
echo "bench: start-up, $runs runs of each program..." >&2
if [ -z "${BENCH_PEERS+set}" ]; then
  BENCH_PEERS=""
  for peer in gpick kcolorchooser; do
    if command -v "$peer" >/dev/null; then
      BENCH_PEERS+=" $peer=$(command -v "$peer")"
    fi
  done
fi
read -r -a peers <<<"${BENCH_PEERS}"
idle=1500
[ "$smoke" = 1 ] && idle=200
XDG_CONFIG_HOME="$fix/config" "$probe" --runs "$runs" --warmup $((1 - smoke)) \
  --idle-ms "$idle" --cwd "$fix/work" \
  bare="$bare" bare_text="$bare_text" tintra="$app" "${peers[@]}" >"$TMP/startup.tsv"
awk -F'\t' '{ print "startup." $1, $2; print "rss." $1, $3 / 1024; print "cpu." $1, $4 }' \
  "$TMP/startup.tsv" >>"$samples"

# --- In-process costs ----------------------------------------------------------
# Each benchmark in a process of its own; its repetitions' per-call times
# become the samples, converted to the goal's unit.
export XDG_CONFIG_HOME="$TMP/config"
mkdir -p "$XDG_CONFIG_HOME"
export TINTRA_BENCH_FAVOURITES="$fix/work/Mange.kvc"

# csv_samples CSV: a Google Benchmark CSV as samples. Rows of single
# repetitions only (not _mean, _median, ...), time in µs; the counter column
# (rss_growth_MB, handler_us, in_hand_us) when there is one.
csv_samples() {
  awk -F, '
    /^name,/ {
      for (c = 1; c <= NF; c++) if ($c ~ /rss_growth_MB|handler_us|in_hand_us/) { g = c; counter = $c; gsub(/"/, "", counter) }
      next
    }
    /^"/ {
      name = $1; gsub(/"/, "", name)
      if (name ~ /_(mean|median|stddev|cv)$/ || $9 != "") next
      sub(/\/(iterations:[0-9]+\/repeats:[0-9]+\/)?manual_time$/, "", name)
      f = ($5 == "ns") ? 0.001 : ($5 == "ms") ? 1000 : ($5 == "s") ? 1000000 : 1
      print "gb." name, $3 * f
      if (g && $g != "") print "gb." name "." counter, $g
    }' "$1" >>"$samples"
}

# run_bench FILTER REPS MIN_TIME PROCESSES
run_bench() {
  local filter=$1 r=$2 t=$3 procs=$4 i
  for i in $(seq "$procs"); do
    local out="$TMP/gb-${filter//[^A-Za-z0-9]/_}-$i.csv"
    local args=(--benchmark_filter="^$filter(/|$)" --benchmark_out="$out" --benchmark_out_format=csv)
    if [ "$smoke" = 1 ]; then
      args+=(--smoke)
    else
      args+=(--benchmark_repetitions="$r" --benchmark_min_time="$t")
    fi
    "$bench" "${args[@]}" >>"$TMP/gb.log" 2>&1 || {
      cat "$TMP/gb.log" >&2
      echo "bench: $filter failed" >&2
      exit 1
    }
    csv_samples "$out"
  done
}

echo "bench: in-process costs..." >&2
run_bench ShowColour "$reps" 0.05 1
run_bench PickColour "$reps" 0.05 1
run_bench vsc1_Scroll "$reps" 0.05 1
run_bench StillCopyShown "$reps" 0.1 1
# The first measurement in a fresh process: one tick in each of several.
run_bench StillCopyFirst 1 0.000001 "$reps"
run_bench MagnifierMove "$reps" 0.1 1
# A fresh process for each open: its growth of resident memory is the first
# open's.
run_bench Open100k 1 0.5 "$reps"
run_bench AddFavourite100k "$reps" 0.2 1
run_bench Save100k "$reps" 0.5 1

# --- Wayland -------------------------------------------------------------------
echo "bench: the still on a headless sway..." >&2
wl_smoke=""
[ "$smoke" = 1 ] && wl_smoke=--smoke
bash "$(dirname "$0")/wayland.sh" "$build" "$reps" "$TMP/portal.csv" $wl_smoke >>"$samples" \
  2>"$TMP/wayland.log" || {
  cat "$TMP/wayland.log" >&2
  echo "bench: the Wayland rows failed" >&2
  exit 1
}
csv_samples "$TMP/portal.csv"

# --- GNOME and KDE -------------------------------------------------------------
# A desktop that cannot start here (status 77) leaves its rows without samples.
for desktop in gnome kde; do
  echo "bench: the still on a headless $desktop..." >&2
  rc=0
  bash "$(dirname "$0")/desktops.sh" "$build" "$reps" "$TMP/$desktop.csv" "$desktop" $wl_smoke \
    >>"$samples" 2>"$TMP/$desktop.log" || rc=$?
  if [ "$rc" = 0 ]; then
    samples="$TMP/$desktop.samples" csv_samples "$TMP/$desktop.csv"
    sed "s|^gb.PortalStill/zoom:3/grab:2|gb.Still.$desktop|" "$TMP/$desktop.samples" >>"$samples"
  elif [ "$rc" = 77 ]; then
    grep SKIP "$TMP/$desktop.log" >&2 || true
  else
    cat "$TMP/$desktop.log" >&2
    echo "bench: the $desktop rows failed" >&2
    exit 1
  fi
done

if [ "$smoke" = 1 ]; then
  # Every figure must have come out.
  for key in startup.bare startup.bare_text startup.tintra rss.bare rss.tintra gb.ShowColour \
    gb.PickColour gb.vsc1_Scroll gb.StillCopyShown/zoom:3/grab:0 gb.StillCopyShown/zoom:0/grab:0 \
    gb.StillCopyShown/zoom:3/grab:1 gb.StillCopyFirst/zoom:3/grab:1 gb.MagnifierMove gb.Open100k \
    wl.grim gb.PortalStill/zoom:3/grab:2 wl.kde gb.Still.kde wl.portal wl.gnome gb.Still.gnome \
    gb.Open100k.rss_growth_MB gb.AddFavourite100k gb.Save100k; do
    grep -q "^$key " "$samples" || { echo "bench: no figure for $key" >&2; exit 1; }
  done
  echo "bench: smoke run complete"
  exit 0
fi

# --- The table -------------------------------------------------------------------
# key | figure | unit | divisor (sample unit -> shown unit) | goal
#   goal "<N": the median must stay under N; "xR:KEY": at most R times KEY's median.
cat >"$TMP/figures.txt" <<'EOF'
startup.bare|Start-up to first mapped window, bare Qt window|ms|1|
startup.bare_text|Start-up, bare Qt window with one text label|ms|1|~startup.bare
startup.tintra|Start-up to first mapped window, Tintra|ms|1|x1.15:startup.bare_text:text
cpu.bare|CPU time to first mapped window, bare Qt window|ms|1|
cpu.bare_text|CPU time to first mapped window, bare with text|ms|1|~cpu.bare
cpu.tintra|CPU time to first mapped window, Tintra|ms|1|~cpu.bare
rss.bare|Idle resident memory, bare Qt window|MB|1|
rss.bare_text|Idle resident memory, bare with text|MB|1|~rss.bare
rss.tintra|Idle resident memory, Tintra|MB|1|x1.3:rss.bare
gb.ShowColour|ShowColour, full refresh|us|1|<50
gb.PickColour|PickColour|us|1|<50
gb.vsc1_Scroll|vsc1_Scroll, one lightness move|us|1|<50
gb.StillCopyShown/zoom:3/grab:1|4K screen still on screen after tick (Zoom x8)|ms|1000|<60
gb.StillCopyShown/zoom:3/grab:1.in_hand_us|Same, until the program holds its copy of it|ms|1000|info
gb.StillCopyFirst/zoom:3/grab:1|First 4K screen still after start-up|ms|1000|<60
gb.StillCopyShown/zoom:3/grab:0|Still from a 4K copy the program holds (Zoom x8)|ms|1000|<60
gb.StillCopyShown/zoom:0/grab:0|Still from a 4K copy the program holds (Uten zoom)|ms|1000|<60
gb.StillCopyFirst/zoom:3/grab:0|First such still after start-up (Zoom x8)|ms|1000|<60
gb.MagnifierMove|One magnifier move, until on screen|ms|1000|<0.2
gb.MagnifierMove.handler_us|One magnifier move, handler alone|ms|1000|part
gb.Open100k|100,000 favourites: open + first paint|s|1000000|<0.3
gb.Open100k.rss_growth_MB|100,000 favourites: resident memory growth|MB|1|<40
gb.AddFavourite100k|100,000 favourites: one added, rebuilt and painted|ms|1000|<5
gb.Save100k|Saving 100,000 favourites|s|1000000|<0.2
wl.grim|grim, 1920x1080 output to PNG (headless sway)|ms|1000|
gb.PortalStill/zoom:3/grab:2|Still after tick, by the compositor's screen copy (sway)|ms|1000|x1.5:wl.grim:grim
wl.kde|KWin ScreenShot2 of the screen, bare call (KWin)|ms|1000|
gb.Still.kde|Still after tick, from KWin (same screen)|ms|1000|x1.3:wl.kde:ScreenShot2
wl.portal|Portal screenshot request, bare (GNOME Shell)|ms|1000|
wl.gnome|The Shell's own Screenshot call (GNOME Shell)|ms|1000|info
gb.Still.gnome|Still after tick, through the portal (GNOME)|ms|1000|+50:wl.portal:portal
EOF
for p in "${peers[@]}"; do
  label=${p%%=*}
  echo "startup.$label|Start-up to first mapped window, $label|ms|1|~startup.bare" >>"$TMP/figures.txt"
  echo "rss.$label|Idle resident memory, $label|MB|1|~rss.bare" >>"$TMP/figures.txt"
done

awk -F'|' -v samples="$samples" '
  function fmt(v) {
    if (v >= 100) return sprintf("%.0f", v)
    if (v >= 10) return sprintf("%.1f", v)
    if (v >= 1) return sprintf("%.2f", v)
    return sprintf("%.3f", v)
  }
  BEGIN {
    while ((getline line < samples) > 0) {
      split(line, kv, " ")
      n[kv[1]]++
      s[kv[1], n[kv[1]]] = kv[2] + 0
    }
  }
  # median, lowest and highest of a key'"'"'s samples, in the shown unit
  function stats(key, div,    i, j, k, t, a) {
    k = n[key]
    for (i = 1; i <= k; i++) a[i] = s[key, i] / div
    for (i = 2; i <= k; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
    med = (k % 2) ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
    lo = a[1]; hi = a[k]
    medians[key] = med
  }
  {
    key = $1; label = $2; unit = $3; div = $4; goal = $5
    if (!n[key]) { rows[++r] = sprintf("%-52s | %14s | %-17s | %-16s | %-16s | %s", label, "no samples", "", goal, "", "MISSED"); missed++; next }
    stats(key, div)
    spread = fmt(lo) " .. " fmt(hi)
    verdict = ""; ratio = ""; goaltext = ""
    if (goal ~ /^</) {
      g = substr(goal, 2) + 0
      goaltext = "< " g " " unit
      ratio = sprintf("%.2f of goal", med / g)
      verdict = (med < g) ? "met" : "MISSED"
    } else if (goal ~ /^x/) {
      split(substr(goal, 2), p, ":")
      ref = medians[p[2]]
      of = (p[3] != "") ? p[3] : "bare"
      goaltext = "<= " p[1] "x " of
      ratio = sprintf("%.2fx %s", med / ref, of)
      verdict = (med <= p[1] * ref) ? "met" : "MISSED"
    } else if (goal ~ /^\+/) {
      split(substr(goal, 2), p, ":")
      ref = medians[p[2]]
      goaltext = "<= " p[3] " + " p[1] " " unit
      ratio = sprintf("%+.0f %s", med - ref, unit)
      verdict = (med <= ref + p[1]) ? "met" : "MISSED"
    } else if (goal ~ /^~/) {
      ref = medians[substr(goal, 2)]
      goaltext = "(peer)"
      ratio = sprintf("%.2fx bare", med / ref)
    } else if (goal == "part") {
      goaltext = "(share of above)"
    } else if (goal == "info") {
      goaltext = "(for the record)"
    } else {
      goaltext = "(reference)"
    }
    if (verdict == "MISSED") missed++
    rows[++r] = sprintf("%-52s | %11s %-2s | %-17s | %-16s | %-16s | %s", label, fmt(med), unit, spread, goaltext, ratio, verdict)
  }
  END {
    printf "%-52s | %14s | %-17s | %-16s | %-16s | %s\n", "Figure", "Median", "Spread (lo .. hi)", "Goal", "Ratio", "Result"
    printf "%s\n", "-----------------------------------------------------+----------------+-------------------+------------------+------------------+-------"
    for (i = 1; i <= r; i++) print rows[i]
    printf "\n%d goal(s) missed.\n", missed
  }' "$TMP/figures.txt"

echo
echo "Start-up: $runs runs of each program, interleaved, after one warm-up run; idle memory is VmRSS ${idle} ms after the window mapped."
echo "In-process: $reps repetitions of each benchmark (Open100k: $reps processes); Xvfb 3840x2160x24, Release build."
echo "Wayland: a headless sway at 1920x1080 with xdg-desktop-portal-wlr; grim $reps times, the still (by the compositor's screen copy, the portal as fallback) in $reps repetitions."
echo "GNOME and KDE: headless GNOME Shell and KWin at 1920x1080 with their portals; the still in $reps repetitions; the Shell's own call $reps times, KWin's ScreenShot2 and the bare portal request once after each of the still's iterations."
