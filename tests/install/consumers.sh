#!/usr/bin/env bash
# Installs a build into a fresh prefix, then builds and runs the consumer program against it twice:
# as a CMake project using find_package(Valdrex), and compiled by hand with pkg-config.
# Usage: consumers.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$(realpath "$1")
work=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

# The shared library carries its ABI version; the C interface is installed with the rest.
lib=$(find "$prefix" -name libvaldrex.so)
# (awk reads all of objdump's output: `grep -q` would end the pipe early and fail it.)
test "$(objdump -p "$lib" | awk '/SONAME/ {print $2}')" = libvaldrex.so.1
test -f "$prefix/include/valdrex/job/made/sample_workbook.h"
test -f "$prefix/include/valdrex/valdrex.h"
# Only the headers of valdrex/public_headers.txt are installed; the internal ones are not.
listed=$(grep -c '^valdrex/' "$here/../../valdrex/public_headers.txt")
test "$(find "$prefix/include" -type f | wc -l)" = "$listed"
test ! -e "$prefix/include/valdrex/io/xlsx_reader.h"

# Every inline function of every installed header, kept in one program, links against the
# shared library: nothing they call is hidden in it.
libdir=$(dirname "$lib")
{
  (cd "$prefix/include" && find valdrex -name '*.h' | sort | sed 's/.*/#include <&>/')
  echo 'int main() {'
  echo '  valdrex::host::MemoryWorkbook book;'
  echo '  book.addSheet("S").at(1, 1).value = valdrex::Variant::number(1);'
  echo '  return book.find("S")->cellCount() == 1 ? 0 : 1;'
  echo '}'
} >"$work/all_headers.cc"
c++ -std=c++20 -fkeep-inline-functions -I "$prefix/include" -o "$work/all_headers" \
  "$work/all_headers.cc" -L"$libdir" -lvaldrex
LD_LIBRARY_PATH=$libdir "$work/all_headers"

cmake -S "$here/cmake" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake" -j2 >/dev/null
"$work/cmake/consumer" "$work/cmake-shared.xlsx"
"$work/cmake/consumer_static" "$work/cmake-static.xlsx"

export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name valdrex.pc)")
# shellcheck disable=SC2046  # the flags are meant to split
c++ -std=c++20 -o "$work/pkgconfig-consumer" "$here/consumer.cc" \
  $(pkg-config --cflags --libs valdrex)
LD_LIBRARY_PATH=$(pkg-config --variable=libdir valdrex) \
  "$work/pkgconfig-consumer" "$work/pkgconfig.xlsx"
