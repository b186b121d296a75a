#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal build and an
# address+undefined sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVALDREX_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

# A short libFuzzer run of the workbook reader where clang is installed; only that target is
# built, and only for half a minute, since CI has two cores. A crash fails the run and leaves
# its input in build-fuzz/ to be kept in tests/fuzz/corpus/ once fixed.
if command -v clang++ >/dev/null 2>&1; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVALDREX_FUZZ=ON >/dev/null
  cmake --build build-fuzz --target xlsx_reader_fuzz -j"$jobs"
  mkdir -p build-fuzz/corpus
  build-fuzz/tests/fuzz/xlsx_reader_fuzz -max_total_time=25 -rss_limit_mb=2048 \
    -artifact_prefix=build-fuzz/ build-fuzz/corpus tests/fuzz/corpus
fi
