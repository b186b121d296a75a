#!/usr/bin/env bash
# The library built for WebAssembly against the command: on the sample, a generated 10-class grade
# and the teachers' workbooks made by other programs, node runs the page's worker code
# (web/worker_check.js) and its result must hold the same parts, byte for byte, as `valdrex run`'s
# on the same date.
#
#   bash scripts/test-web.sh      # VALDREX=path the native command (default build/cli/valdrex)
set -euo pipefail
REPO="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${BUILD_WEB:-$REPO/build-web}"
VALDREX="${VALDREX:-$REPO/build/cli/valdrex}"

bash "$REPO/scripts/build-web.sh" >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$VALDREX" sample "$work/sample.xlsx" >/dev/null
"$VALDREX" sample --classes 10 --students 45 --subjects 9 --seed 3 "$work/ten.xlsx" >/dev/null
mkdir "$work/teachers"
workbooks=("$work/sample.xlsx" "$work/ten.xlsx")
mapfile -t -O 2 workbooks < <(/usr/bin/python3 "$REPO/tests/keep/teacher_workbooks.py" "$work/teachers")

failed=0
for wb in "${workbooks[@]}"; do
  name="$(basename "$wb")"
  "$VALDREX" run "$wb" --targets 5,20 --date 2026-12-06 -o "$work/native-$name" >/dev/null 2>&1 || true
  node "$REPO/web/worker_check.js" "$OUT/valdrex.js" "$wb" "$work/web-$name" 2026-12-06 \
    >/dev/null 2>&1 || true
  if ! /usr/bin/python3 - "$work/native-$name" "$work/web-$name" <<'PY'; then
import os, sys, zipfile
native, web = sys.argv[1:]
if not os.path.exists(native) or not os.path.exists(web):
    sys.exit(0 if os.path.exists(native) == os.path.exists(web) else
             "only one of them wrote a result")
a, b = zipfile.ZipFile(native), zipfile.ZipFile(web)
if a.namelist() != b.namelist():
    sys.exit("other parts: %s" % sorted(set(a.namelist()) ^ set(b.namelist())))
differ = [n for n in a.namelist() if a.read(n) != b.read(n)]
if differ:
    sys.exit("parts differ: %s" % ", ".join(differ))
PY
    echo "FAILED: $name" >&2
    failed=1
  else
    echo "same: $name"
  fi
done
exit "$failed"
