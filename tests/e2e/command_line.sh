#!/usr/bin/env bash
# Without a display it can reach (none set, an X display nobody answers on, a
# missing Wayland socket) the binary says which in one Norwegian line and
# exits 1; --help and --version answer all the same, a wrong option gets 2.
# --colour writes a colour read from any notation in the format asked,
# --contrast the ratio as the window shows it and the pass list; a text that
# is no colour gets 2 and one line.
# --pick measures a point of the X root by keyboard (also through the zoom
# window), prints it in each format (the stored notation) and exits 0, or on
# Escape prints nothing and exits 1, storing nothing. A colour file named
# relative to the working folder opens in place of the remembered one, its
# bad record reported once the window is up.
source "$(dirname "$0")/lib.sh"
BIN=$1

# answer STATUS STDOUT STDERR [VAR=VALUE...] [ARGUMENT...]: with no display
# (but the settings given), the output matches the patterns; status 1 (no
# display) says so in one line.
answer() {
  local status=$1 out=$2 err=$3 envs=() rc=0
  shift 3
  while [[ ${1:-} == *=* ]]; do envs+=("$1") && shift; done
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${envs[@]+"${envs[@]}"} \
    timeout 20 "$BIN" "$@" >"$TMP/out" 2>"$TMP/err" || rc=$?
  [ "$rc" = "$status" ] && [[ "$(cat "$TMP/out")" == $out && "$(cat "$TMP/err")" == $err ]] &&
    { [ "$status" != 1 ] || [ "$(wc -l <"$TMP/err")$(tail -c 1 "$TMP/err")" = 1 ]; } ||
    fail "$*: status $rc, stdout '$(head -c 80 "$TMP/out")', stderr '$(cat "$TMP/err")'"
}
answer 1 "" "Tintra: *skjerm*verken DISPLAY eller WAYLAND_DISPLAY*"
answer 1 "" "Tintra: *skjerm*«:99999»*" DISPLAY=:99999
answer 1 "" "Tintra: *skjerm*«$TMP/runtime/wayland-missing»*" QT_QPA_PLATFORM=wayland \
  WAYLAND_DISPLAY="$TMP/runtime/wayland-missing"
answer 0 "Bruk: Tintra*" "" --help
answer 0 "Tintra 1.*" "" --version
answer 2 "" "Tintra: ukjent valg «--farge».*" --farge
answer 0 "hsl(214.8 64.9% 53.1%)" "" --colour '#3A7BD5' --format css-hsl
answer 0 "oklch(44.03% 0.1603 303.37)" "" --colour ' RebeccaPurple' --format oklch
answer 0 "#336699" "" --colour 'hsl(210 50% 40%)' --format css
answer 0 $'4.48:1\nNormal tekst, AA (4,5:1): ikke bestått\n*\nStor tekst, AA (3:1): bestått\n*' "" \
  --contrast '#777777' 'rgb(255 255 255)'
answer 2 "" "Tintra: «blå» er ikke en farge." --colour blå

start_xvfb 1280x800x24
# Red lines on blue every 16 pixels: a pick one pixel off gives the other colour.
xsetroot -mod 16 16 -fg '#FF0000' -bg '#0000FF'
conf="$XDG_CONFIG_HOME/Tintra/Tintra.conf"

# pick STATUS EXPECTED KEYS [ARGUMENTS]: --pick with the pointer at
# (402, 300); once the still is up and has the keyboard, KEYS. It must exit
# with STATUS, having printed the line EXPECTED (nothing when empty).
pick() {
  local status=$1 expected=$2 keys=$3 rc=0
  shift 3
  xdotool mousemove 402 300
  timeout 30 "$BIN" --pick "$@" >"$TMP/out" 2>"$TMP/err" &
  APP_PID=$!
  wait_for_still 402 300
  xdotool key --delay 200 $keys
  wait "$APP_PID" || rc=$?
  APP_PID=""
  [ "$rc" = "$status" ] || { cat "$TMP/err" >&2; fail "--pick $* ($keys): status $rc"; }
  local lines=0
  [ -z "$expected" ] || lines=1
  [ "$(cat "$TMP/out")" = "$expected" ] && [ "$(wc -l <"$TMP/out")" = $lines ] ||
    fail "--pick $* ($keys) printed '$(cat "$TMP/out")', expected '$expected'"
}

# No settings: "Zoom x8", and the zoom window stores its place on the way out.
pick 1 "" Escape
[ -z "$(ls -A "$XDG_CONFIG_HOME")" ] || fail "--pick wrote settings: $(ls -AR "$XDG_CONFIG_HOME")"

settings ZoomFactor=0 RgbFormat=1 HexFormat=5
# The cursor starts at the pointer, x = 402; x = 400 is red.
pick 0 "RGB(255,0,0)" "Left Left Return" --format rgb
pick 0 "16711680" "Left Return" --format long
pick 0 "0,240,120" "Left Left Return" --format hsl
pick 0 "#0000FF" "Left Return" --format css
# "Zoom x8": Enter shows the block, Enter again takes its middle pixel.
sed -i 's/^ZoomFactor=0/ZoomFactor=3/' "$conf"
cp "$conf" "$TMP/conf.before"
pick 0 '"#FF0000"' "Left Left Return Return"
cmp -s "$conf" "$TMP/conf.before" || fail "--pick changed the settings: $(cat "$conf")"
[ -z "$(ls -A "$XDG_DATA_HOME")" ] || fail "--pick left $(ls -AR "$XDG_DATA_HOME")"

# A file named on the command line, relative to the working folder.
work="$TMP/work"
mkdir -p "$work"
printf '255,"R\xf8d"\r\nikke en farge\r\n' >"$work/Mine farger.kvc"
printf '0,"Svart"\r\n' >"$work/husket.kvc"
settings "Path=$work/" FileName=husket.kvc
APP_ARGS=("Mine farger.kvc")
start_tintra "$BIN" "$work" "^Tintra - Mine farger.kvc$"
dismiss "$BOX_TITLE" "the report of the bad record"
focus
quit_via_menu
grep -q '^FileName=Mine farger.kvc$' "$conf" || fail "the file opened is not remembered: $(cat "$conf")"
pass
