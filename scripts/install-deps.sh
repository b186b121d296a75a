#!/usr/bin/env bash
# Installs the Debian packages Valdrex builds and tests with. Safe to run again.
#   bash scripts/install-deps.sh        # the library, the command, the Calc extension, the tests
#   bash scripts/install-deps.sh web    # what the WebAssembly build needs
set -euo pipefail
if [ "${1:-}" = web ]; then
  packages=(emscripten dpkg-dev make cmake pkg-config)
else
packages=(
  g++ cmake make pkg-config dpkg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libzip-dev libexpat1-dev libdeflate-dev libxlsxwriter-dev libcli11-dev zlib1g-dev
  python3 python3-openpyxl python3-xlsxwriter libreoffice-calc-nogui
  libreoffice-dev python3-uno
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
