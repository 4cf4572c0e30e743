#!/usr/bin/env bash
# Builds the unit and widget suites with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer in a build folder of their own and runs them
# (the end-to-end tests under Xvfb excepted). Any report fails the run.
#
#   scripts/sanitize.sh [BUILD_FOLDER]     # default build-asan; JOBS=2
#
# The random session runs TINTRA_ACTIONS actions here (default 10000: the
# sanitizers make every action several times slower).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:abort_on_error=1:print_stacktrace=1}
export TINTRA_ACTIONS=${TINTRA_ACTIONS:-10000}

# GCC leaves the float-to-integer overflow check out of "undefined".
flags="-O1 -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" \
  -DTINTRA_WERROR=ON >/dev/null
# Building runs the GoogleTest binaries to list their tests, under the
# sanitizers already.
cmake --build "$build" -j"${JOBS:-2}"
cd "$build"
ctest --output-on-failure --no-tests=error -j"${JOBS:-2}" -LE e2e
