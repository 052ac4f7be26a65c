#!/usr/bin/env bash
# Builds the Debian package of the program: sets up, builds in release mode with Debian's
# hardening flags (dpkg-buildflags) and has CPack pack the installation (under /usr, with
# the catalogue data kept under /var/lib) into dazozizizavuv_<version>_<arch>.deb in the
# build folder, then checks it with lintian, which must print nothing.
# Install it with `sudo apt install ./<file>.deb`, which fetches the dependencies.
# CATALOG_BUILD_DIR chooses another build folder (default: build).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${CATALOG_BUILD_DIR:-$here/build}
"$here/scripts/setup.sh"
cd "$here"
# Binaries are stripped by CPack, so the debug information would only cost build time.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')
cflags=$(dpkg-buildflags --get CFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')
ldflags=$(dpkg-buildflags --get LDFLAGS)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCATALOG_TESTS=OFF -DCATALOG_DEBIAN_LAYOUT=ON \
  -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" -DCMAKE_C_FLAGS="$cppflags $cflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/dazozizizavuv_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/dazozizizavuv_*.deb | head -1)
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
echo "package: $deb"
# Every tag lintian knows short of the pedantic and experimental ones; an override needs
# its reason written beside it (packaging/debian/lintian-overrides).
lintian --fail-on error,warning --display-level '>=info' "$deb"
echo "lintian: clean"
