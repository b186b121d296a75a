#!/usr/bin/env bash
# Builds the Debian package valdrex_<version>_amd64.deb with CPack from the Release tree (the one
# scripts/demo.sh uses), installed under /usr, without tests or benchmarks. Prints the package's
# path on the last line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=build-release

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVALDREX_BUILD_TESTS=OFF -DVALDREX_BENCH=OFF >/dev/null
cmake --build "$build" -j"${JOBS:-$(nproc)}"
out=$PWD/$build/deb
rm -f "$out"/valdrex_*.deb
(cd "$build" && cpack -B "$out" >/dev/null)
ls "$out"/valdrex_*_amd64.deb
