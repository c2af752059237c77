#!/usr/bin/env bash
# Builds the editor and its whole test suite with the address and undefined-behaviour
# sanitizers (KITE_SANITIZE=ON) in build-sanitize (or $KITE_SANITIZE_DIR) and runs every
# test. Any sanitizer report fails the test that caused it, so a clean run is the whole
# suite passing.
#   scripts/sanitize.sh [extra ctest arguments, e.g. -R tst_badInputs]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KITE_SANITIZE_DIR:-$root/build-sanitize}"
jobs="${KITE_JOBS:-2}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKITE_SANITIZE=ON \
    -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --parallel "$jobs"

# halt_on_error plus the build's -fno-sanitize-recover turn every report into a failure;
# leaks are reported too. Qt's offscreen platform needs no display.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
if [ -f "$root/scripts/lsan.supp" ]; then
    export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
fi
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure "$@"
