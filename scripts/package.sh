#!/usr/bin/env bash
# Builds the Debian package of the program: sets up, builds the program folder in release
# mode and has CPack pack the installation (under /usr) into dazozizizavuv_<version>_<arch>.deb
# in the build folder. Install it with `sudo apt install ./<file>.deb` (which fetches the
# declared dependencies); `sudo apt remove dazozizizavuv` removes every file it installed.
# CATALOG_BUILD_DIR chooses another build folder (default: build).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${CATALOG_BUILD_DIR:-$here/build}
"$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCATALOG_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/dazozizizavuv_*.deb | head -1)
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
echo "package: $deb"
