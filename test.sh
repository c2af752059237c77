#!/usr/bin/env bash
# Builds Tarvex Kite with its tests and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh"
build="${KITE_BUILD_DIR:-$root/build}"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
