#!/usr/bin/env bash
# Sets up, builds the program folder in release mode and runs the program's main job.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCATALOG_TESTS=OFF >/dev/null
cmake --build "$here/build" -j"$(nproc)"
db="$here/../shared/fixtures/catalogue-small/vc_korva.mdb"
[ -f "$db" ] || db="$here/build/app/db/vc_korva.mdb"
exec "$here/build/tools/jet-query/jet-query" "$db" "SELECT DISTINCT Listino FROM TabTechInfo WHERE not Listino is null ORDER BY Listino"
