#!/usr/bin/env bash
# Sets up, builds the program folder in release mode (the program, its pictures and the
# demo catalogue) and starts the program. Without a display it says how to run offscreen.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
(cd "$here" && cmake --preset release >/dev/null)
cmake --build "$here/build" -j"$(nproc)"
exec "$here/build/app/dazozizizavuv" "$@"
