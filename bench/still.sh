# portal_still_bench CSV_NAME OUT: tintra_bench's PortalStill rows in the
# running session ($runs repetitions, or one smoke run where $smoke is
# --smoke), the CSV copied to OUT. STILL_ENV: more NAME=VALUE for it.
portal_still_bench() {
  local args=(--benchmark_filter='^PortalStill(/|$)' --benchmark_out="$SESSION/work/$1"
    --benchmark_out_format=csv)
  if [ "$smoke" = --smoke ]; then
    args+=(--smoke)
  else
    args+=(--benchmark_repetitions="$runs" --benchmark_min_time=0.2)
  fi
  in_session env QT_QPA_PLATFORM=wayland ${STILL_ENV[@]+"${STILL_ENV[@]}"} \
    "$SESSION/bin/tintra_bench" "${args[@]}" >"$SESSION/log/bench.log" 2>&1 || fail "PortalStill failed: $(tail -5 "$SESSION/log/bench.log")"
  cp "$SESSION/work/$1" "$2"
}
