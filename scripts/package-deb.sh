#!/usr/bin/env bash
# Builds the Debian package valdrex_<version>_amd64.deb with CPack, installed under /usr. Without
# an argument from the Release tree (the one scripts/demo.sh uses), without tests or benchmarks;
# with a build folder configured for /usr (as scripts/test.sh does), from that one. Prints the
# package's path on the last line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${1:-build-release}

if [ $# -eq 0 ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DVALDREX_BUILD_TESTS=OFF -DVALDREX_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"${JOBS:-$(nproc)}"
out=$PWD/$build/deb
rm -f "$out"/valdrex_*.deb
(cd "$build" && cpack -B "$out" >/dev/null)
ls "$out"/valdrex_*_amd64.deb
