#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in a build folder of their own, and runs each for
# a bounded time from the seeds in tests/fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]   # default 60 s each; colourfile settings colourtext
#
# New inputs that reach new code are kept in $FUZZ_BUILD/fuzz-work/<target>/
# and feed the next run. An input that breaks a check or trips a sanitizer is
# saved there as crash-*; copy it into tests/fuzz/corpus/<target>/, where the
# replay test runs it in every build from then on, and fix the program.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(colourfile settings colourtext)
build=${FUZZ_BUILD:-build-fuzz}

for tool in clang clang++; do
  command -v "$tool" >/dev/null || { echo "fuzz.sh: $tool is missing (apt-get install clang libclang-rt-14-dev)" >&2; exit 1; }
done

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$flags" -DTINTRA_FUZZ=ON -DTINTRA_WERROR=ON >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target "${targets[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/fuzz/lsan.supp:print_suppressions=0}
export XDG_CONFIG_HOME=$PWD/$build/fuzz-work/config

status=0
for t in "${targets[@]}"; do
  work=$build/fuzz-work/$t
  mkdir -p "$work/corpus"
  echo "== fuzz_$t for ${seconds}s"
  # A fixed seed makes a run repeatable (the same commit fuzzes the same
  # inputs first); FUZZ_SEED=0 lets libFuzzer pick one.
  if ! "$build/tests/fuzz/fuzz_$t" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/" \
      "$work/corpus" "tests/fuzz/corpus/$t" >"$work/log" 2>&1; then
    tail -n 60 "$work/log" >&2
    echo "FAIL: fuzz_$t; the input is in $work/ (crash-*, timeout-*, oom-*)" >&2
    status=1
  else
    grep -E '^(stat::number_of_executed_units|stat::new_units_added|Done)' "$work/log" || true
  fi
done
exit $status
