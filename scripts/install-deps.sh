#!/usr/bin/env bash
# Installs the Debian packages Valdrex builds and tests with. Safe to run again.
#   bash scripts/install-deps.sh        # the library, the command, the Calc extension, the tests
#   bash scripts/install-deps.sh web    # what the WebAssembly build and the page's tests need
set -euo pipefail
if [ "${1:-}" = web ]; then
  # The page's tests drive the system's browser; a CJK font makes their screenshot readable.
  packages=(emscripten dpkg-dev make cmake pkg-config chromium fonts-noto-cjk python3-openpyxl)
  # A node and npm installed otherwise would conflict with Debian's npm: it comes only when
  # there is none.
  command -v npm >/dev/null 2>&1 || packages+=(npm)
else
packages=(
  g++ cmake make pkg-config dpkg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libzip-dev libexpat1-dev libdeflate-dev libxlsxwriter-dev libcli11-dev zlib1g-dev
  python3 python3-openpyxl python3-xlsxwriter libreoffice-calc-nogui
  libreoffice-dev python3-uno
  # The print test exports a result to PDF: poppler reads it, and a font measuring like Calibri
  # gives the columns the widths every office gives them.
  poppler-utils fonts-crosextra-carlito
  clang libclang-rt-14-dev clang-format
  hyperfine time
)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
