#!/usr/bin/env bash
# Sets up, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test through ctest.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
(cd "$here" && cmake --preset asan >/dev/null)
cmake --build "$here/build-asan" -j"$(nproc)"
cd "$here/build-asan"
ctest --output-on-failure -j"$(nproc)"
# CI also builds the libraries, the program and the tools with clang in release mode,
# warnings as errors (the build above is GCC's, so the tree must compile clean with both;
# the tests are not built or run again there), fuzzes every target for half a minute, in
# its own incremental clang build (the time CI allows is shared with the package's release
# build), and builds, checks and installs the Debian package.
if [ "${CI:-}" = true ]; then
  (cd "$here" && cmake --preset clang-release >/dev/null)
  cmake --build "$here/build-clang-release" -j"$(nproc)"
  "$here/scripts/fuzz.sh" 30
  "$here/scripts/package-test.sh"
fi
