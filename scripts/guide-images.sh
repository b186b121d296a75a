#!/usr/bin/env bash
# Makes the teacher's guide's pictures of a printed result: runs the built-in sample, prints the
# result to PDF through a headless LibreOffice and keeps the first page of "两率一分" as
# docs/images/print-two-rates.png; then the same with slips to hand out (--slips --levels
# --no-ranks) and its first page of "成绩条" as docs/images/print-slips.png. Needs a built
# valdrex (build/ or BUILD=...), LibreOffice, poppler-utils and a font measuring like Calibri
# (scripts/install-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
valdrex="$(pwd)/${BUILD:-build}/cli/valdrex"
[ -x "$valdrex" ] || { echo "没有找到 $valdrex：请先构建 valdrex" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# picture NAME SHEET [OPTIONS...]: the first printed page headed SHEET of the sample's result run
# with OPTIONS, as docs/images/NAME.png. A fixed date, so that it changes only when the print does.
picture() {
  local name="$1" sheet="$2" dir="$work/$1"
  shift 2
  mkdir -p "$dir"
  (cd "$dir" && "$valdrex" run --targets 5,20 --date 2026-12-07 "$@" </dev/null >/dev/null 2>&1)
  local result="$dir/valdrex示例-统计结果.xlsx"
  soffice "-env:UserInstallation=file://$work/profile" --headless --convert-to pdf \
    --outdir "$dir" "$result" >/dev/null 2>&1
  local pdf="${result%.xlsx}.pdf" pages page
  pages="$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')"
  for ((page = 1; page <= pages; page++)); do
    if pdftotext -f "$page" -l "$page" -layout "$pdf" - | grep -m1 -v '^\s*$' | grep -q "$sheet"; then
      mkdir -p docs/images
      pdftoppm -f "$page" -l "$page" -r 80 -png -singlefile "$pdf" "docs/images/$name"
      echo "docs/images/$name.png：第 $page 页（共 $pages 页）"
      return 0
    fi
  done
  echo "结果的 PDF 里没有“$sheet”的页" >&2
  return 1
}

picture print-two-rates 两率一分
picture print-slips 成绩条 --slips --levels --no-ranks
