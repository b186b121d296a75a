#!/usr/bin/env bash
# Makes the teacher's guide's pictures of a printed result: runs the built-in sample, prints the
# result to PDF through a headless LibreOffice and keeps the first page of "两率一分" as
# docs/images/print-two-rates.png. Needs a built valdrex (build/ or BUILD=...), LibreOffice,
# poppler-utils and a font measuring like Calibri (scripts/install-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
valdrex="$(pwd)/${BUILD:-build}/cli/valdrex"
[ -x "$valdrex" ] || { echo "没有找到 $valdrex：请先构建 valdrex" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A fixed date, so that the picture changes only when the print does.
(cd "$work" && "$valdrex" run --targets 5,20 --date 2026-12-07 </dev/null >/dev/null 2>&1)
result="$work/valdrex示例-统计结果.xlsx"
soffice "-env:UserInstallation=file://$work/profile" --headless --convert-to pdf \
  --outdir "$work" "$result" >/dev/null 2>&1
pdf="${result%.xlsx}.pdf"

# The first page headed "两率一分".
pages="$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')"
for ((page = 1; page <= pages; page++)); do
  if pdftotext -f "$page" -l "$page" -layout "$pdf" - | grep -m1 -v '^\s*$' | grep -q '两率一分'; then
    mkdir -p docs/images
    pdftoppm -f "$page" -l "$page" -r 80 -png -singlefile "$pdf" docs/images/print-two-rates
    echo "docs/images/print-two-rates.png：第 $page 页（共 $pages 页）"
    exit 0
  fi
done
echo "结果的 PDF 里没有“两率一分”的页" >&2
exit 1
