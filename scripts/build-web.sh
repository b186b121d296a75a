#!/usr/bin/env bash
# Builds the library for WebAssembly with Debian's emscripten into build-web/ (BUILD_WEB=dir to
# change it), and from it build-web/valdrex.js, the module the page's worker (web/valdrex_worker.js)
# loads, and the page: build-web/valdrex.html (one file: style, scripts, worker and WebAssembly
# inlined, opened from a file with no network) and build-web/site/ (the same page in files for a
# web server).
# The C libraries the library reads and writes workbooks with have no WebAssembly package, and
# emscripten's own ports download at build time: they are built from their Debian sources, fetched
# with apt through a private configuration (the system's sources stay as they are) and kept in
# build-web/deps between runs. The page has no threads and no reserved memory: the library is
# built without helper threads or huge-page memory.
#
#   bash scripts/build-web.sh
set -euo pipefail
REPO="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${BUILD_WEB:-$REPO/build-web}"
DEPS="$OUT/deps"
PREFIX="$DEPS/prefix"
JOBS="${JOBS:-$(nproc)}"

bash "$REPO/scripts/install-deps.sh" web
# emscripten's optimiser and closure steps load node modules from where Debian installs them.
export NODE_PATH=/usr/share/nodejs:/usr/lib/nodejs

# --- The C libraries, from the sources of the Debian release the machine runs; what the builds
# print goes to a log, shown when one fails.
build_deps() {
  rm -rf "$DEPS" && mkdir -p "$DEPS/apt/lists/partial" "$DEPS/apt/cache/archives/partial" \
    "$DEPS/apt/sources.list.d" "$DEPS/src" "$PREFIX/lib/pkgconfig" "$PREFIX/include"
  . /etc/os-release
  cat >"$DEPS/apt/sources.list.d/valdrex-src.sources" <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $VERSION_CODENAME
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  : >"$DEPS/apt/sources.list"
  apt=(-o "Dir::Etc::SourceList=$DEPS/apt/sources.list"
       -o "Dir::Etc::SourceParts=$DEPS/apt/sources.list.d"
       -o "Dir::State::Lists=$DEPS/apt/lists" -o "Dir::Cache=$DEPS/apt/cache"
       -o Debug::NoLocking=1 -o APT::Sandbox::User=root -qq)
  apt-get "${apt[@]}" update
  (cd "$DEPS/src" && apt-get "${apt[@]}" source --download-only zlib expat libzip libdeflate)
  for p in zlib expat libzip libdeflate; do
    (cd "$DEPS/src" && dpkg-source --no-check -x "$(ls ${p}_*.dsc | head -1)" "$p")
  done

  # zlib: its sources alone, as libzip needs them.
  (cd "$DEPS/src/zlib" && cp zconf.h.in zconf.h && mkdir -p o &&
    for f in adler32 compress crc32 deflate infback inffast inflate inftrees trees uncompr zutil; do
      emcc -O2 -c "$f.c" -o "o/$f.o"
    done && emar rcs "$PREFIX/lib/libz.a" o/*.o && cp zlib.h zconf.h "$PREFIX/include/")

  # expat. Its CMake configuration defines XML_DTD and XML_NS without a value, where the Debian
  # sources test them against 1.
  (cd "$DEPS/src/expat/expat" &&
    emcmake cmake -S . -B b -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
      -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF \
      -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF &&
    sed -i 's/^#define XML_DTD$/#define XML_DTD 1/; s/^#define XML_NS$/#define XML_NS 1/' \
      b/expat_config.h &&
    cmake --build b -j"$JOBS" && cmake --install b)

  # libdeflate: its own Makefile makes the static library.
  (cd "$DEPS/src/libdeflate" && make -j"$JOBS" libdeflate.a CC=emcc AR=emar CFLAGS=-O2 &&
    cp libdeflate.a "$PREFIX/lib/" && cp libdeflate.h "$PREFIX/include/")

  # libzip, without the compressions and crypto a workbook does not use. CMake's size checks
  # cannot run a WebAssembly program: off_t is 8 bytes there and size_t 4.
  (cd "$DEPS/src/libzip" &&
    emcmake cmake -S . -B b -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
      -DBUILD_SHARED_LIBS=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
      -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
      -DENABLE_WINDOWS_CRYPTO=OFF -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF \
      -DBUILD_DOC=OFF -DZLIB_INCLUDE_DIR="$PREFIX/include" -DZLIB_LIBRARY="$PREFIX/lib/libz.a" &&
    sed -i 's/^#define SIZEOF_OFF_T .*/#define SIZEOF_OFF_T 8/; s/^#define SIZEOF_SIZE_T .*/#define SIZEOF_SIZE_T 4/' \
      b/config.h &&
    cmake --build b -j"$JOBS" && cmake --install b)

  for lib in expat:2.5.0:expat libdeflate:1.14:deflate; do
    IFS=: read -r name version flag <<<"$lib"
    printf 'prefix=%s\nName: %s\nDescription: %s\nVersion: %s\nLibs: -L${prefix}/lib -l%s\nCflags: -I${prefix}/include\n' \
      "$PREFIX" "$name" "$name" "$version" "$flag" >"$PREFIX/lib/pkgconfig/$name.pc"
  done
  # libzip's own file names zlib only for shared linking.
  sed -i 's/^Libs: \(.*\)-lzip/Libs: \1-lzip -lz/' "$PREFIX/lib/pkgconfig/libzip.pc"
}
if [ ! -f "$PREFIX/.done" ]; then
  mkdir -p "$OUT"
  build_deps >"$OUT/deps.log" 2>&1 || { tail -40 "$OUT/deps.log" >&2; exit 1; }
  touch "$PREFIX/.done"
fi

# --- The library, then the module.
export PKG_CONFIG_LIBDIR="$PREFIX/lib/pkgconfig"
build_library() {
  emcmake cmake -S "$REPO" -B "$OUT/lib" -DCMAKE_BUILD_TYPE=Release -DVALDREX_BUILD_TESTS=OFF \
    -DVALDREX_BUILD_CLI=OFF -DVALDREX_LIBREOFFICE=OFF -DVALDREX_THREADS=OFF \
    -DVALDREX_LARGE_PAGES=OFF -DCMAKE_CXX_FLAGS=-fwasm-exceptions -Wno-dev
  cmake --build "$OUT/lib" --target valdrex_static -j"$JOBS"
}
build_library >"$OUT/lib.log" 2>&1 || { tail -40 "$OUT/lib.log" >&2; exit 1; }
# The module the page's worker loads: the C interface, the memory file system, the WebAssembly
# inlined so that one script holds it all.
exports="_malloc,_free"
for f in open check finding run save_as close last_error count_of text_of warning note result_name \
  classes make_template make_sample sheet_name used_range cell_text cell_format chart chart_series \
  series_colour; do
  exports+=",_valdrex_$f"
done
emcc -O3 -fwasm-exceptions --no-entry "$OUT/lib/libvaldrex.a" -L"$PREFIX/lib" -lzip -lz -lexpat \
  -ldeflate -sMODULARIZE=1 -sEXPORT_NAME=createValdrexModule -sENVIRONMENT=web,worker,node \
  -sSINGLE_FILE=1 -sALLOW_MEMORY_GROWTH=1 -sFORCE_FILESYSTEM=1 -sTOTAL_STACK=1048576 \
  -sEXPORTED_FUNCTIONS="$exports" \
  -sEXPORTED_RUNTIME_METHODS=FS,cwrap,getValue,setValue,UTF8ToString,allocateUTF8 \
  -o "$OUT/valdrex.js"
echo "built $OUT/valdrex.js"

# --- The page, with the licences of everything compiled into it: the C libraries' from their
# Debian sources, emscripten's (its runtime, libc++, libc++abi, musl) from its package.
{
  echo "本页的统计程序由 Valdrex 和下列软件编译成 WebAssembly 而成。它们的版权声明和许可证如下，"
  echo "取自 Debian 的源码包和 emscripten 软件包。"
  for p in zlib expat libzip libdeflate; do
    printf '\n==== %s ====\n\n' "$p"
    cat "$DEPS/src/$p/debian/copyright"
  done
  printf '\n==== emscripten（运行时、libc++、libc++abi、musl 等）====\n\n'
  cat /usr/share/doc/emscripten/copyright
} >"$OUT/licences.txt"
/usr/bin/python3 "$REPO/web/assemble_page.py" "$REPO/web" "$OUT/valdrex.js" "$OUT/licences.txt" "$OUT"
