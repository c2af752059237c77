#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench, or $KITE_BENCH_DIR) and prints every figure:
# each beside its baseline measured in the same run, their ratio and its target.
#   scripts/bench.sh [startup|document|folders|rename|undo|huge ...]     (default: all)
# Exit status 0 when every target is met, 1 when one is missed, 2 when a benchmark failed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KITE_BENCH_DIR:-$root/build-bench}"
jobs="${KITE_JOBS:-2}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKITE_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$jobs" --target bench_kite >/dev/null
# Offscreen for the benchmark and both start-up programs alike; bench_kite points the
# settings of every process it runs at a throw-away folder.
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR="$(mktemp -d)"
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
"$build/bench/bench_kite" "$@"
