#!/usr/bin/env bash
# The page beside the command on the largest grade (20 classes of 100 students, 12 subjects):
# the run in the inlined page in headless Chromium against `valdrex run` on the same machine,
# best of three each, and the inlined page's size. Needs build-web/ (scripts/build-web.sh), the
# command (VALDREX, default build/cli/valdrex) and web/test/node_modules (scripts/test-web.sh).
#
#   bash bench/web_bench.sh
set -euo pipefail
REPO="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${BUILD_WEB:-$REPO/build-web}"
VALDREX="$(realpath "${VALDREX:-$REPO/build/cli/valdrex}")"
ROUNDS=3
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$VALDREX" sample --classes 20 --students 100 --subjects 12 "$work/grade.xlsx" >/dev/null
native=
for _ in $(seq $ROUNDS); do
  rm -f "$work/out.xlsx"
  start=$(date +%s.%N)
  "$VALDREX" run "$work/grade.xlsx" --targets 5,20 --date 2026-12-06 -o "$work/out.xlsx" \
    >/dev/null 2>&1
  t=$(echo "$(date +%s.%N) - $start" | bc)
  if [ -z "$native" ] || [ "$(echo "$t < $native" | bc)" = 1 ]; then native=$t; fi
done
page=$(node "$REPO/bench/web_bench.js" "$OUT/valdrex.html" "$work/grade.xlsx" $ROUNDS)
printf 'largest grade (20 x 100 x 12): command %.2f s, page %.2f s (%.1fx)\n' \
  "$native" "$page" "$(echo "$page / $native" | bc -l)"
printf 'inlined page: %d bytes (%.2f MB)\n' "$(stat -c %s "$OUT/valdrex.html")" \
  "$(echo "$(stat -c %s "$OUT/valdrex.html") / 1048576" | bc -l)"
