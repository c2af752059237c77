#!/usr/bin/env bash
# Builds Tarvex Kite and starts it on the sample levels folder.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh"
build="${KITE_BUILD_DIR:-$root/build}"

# The samples are copied once, so what you change and rename never touches the repository.
levels="$build/sample-levels"
[ -d "$levels" ] || cp -r "$root/samples/levels" "$levels"

cd "$levels/toytrack"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the editor in a virtual X server (xvfb-run)."
    exec xvfb-run -a "$build/src/app/tarvex-kite"
fi
exec "$build/src/app/tarvex-kite"
