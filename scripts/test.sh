#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal build and an
# address+undefined sanitizer build, with the Debian package built (and, as root, installed and
# tried) in between; then the lean extras: the parallel runner under the thread
# sanitizer and a short fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

# Every source follows .clang-format.
git ls-files '*.cc' '*.h' '*.c' | xargs clang-format --dry-run --Werror

# Configured for /usr, so that the Debian package below comes from this same tree.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# The browser page, built before the package so that the package holds it.
bash scripts/build-web.sh >/dev/null

# The Debian package. Where this runs as root with apt, it is installed, the command runs the
# built-in sample and the man page, the .pc file and the page are found; then it is removed again.
bash scripts/package-deb.sh build
deb=$(ls "$PWD"/build/deb/valdrex_*_amd64.deb)
if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null && command -v dpkg >/dev/null; then
  remove_package() { DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq valdrex >/dev/null; }
  trap remove_package EXIT
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
  sample=$(mktemp -d)
  (cd "$sample" && /usr/bin/valdrex run -o "$sample/sample.xlsx" </dev/null)
  test -s "$sample/sample.xlsx"
  man -w valdrex
  pkg-config --exists valdrex
  test -s /usr/share/valdrex/web/valdrex.html
  rm -rf "$sample"
  remove_package
  trap - EXIT
else
  echo "Built $deb; installing it needs root and apt-get: skipped"
fi

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVALDREX_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

# The parallel runner of `valdrex run` under the thread sanitizer: only the test that runs several
# workbooks at once is built and run.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVALDREX_TSAN=ON >/dev/null
cmake --build build-tsan --target reliability_test -j"$jobs"
TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/reliability/tsan.supp" \
  build-tsan/tests/reliability_test --gtest_filter='ParallelRun.*'

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

# The library built for WebAssembly (the page's core) must write what the command writes, and the
# page in a browser what the command prints and writes.
bash scripts/test-web.sh
