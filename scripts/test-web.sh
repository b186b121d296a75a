#!/usr/bin/env bash
# The library built for WebAssembly against the command: on the sample, a generated 10-class grade
# and the teachers' workbooks made by other programs, node runs the page's worker code
# (web/worker_check.js) and its result must hold the same parts, byte for byte, as `valdrex run`'s
# on the same date. Then the page itself in the system's headless Chromium (web/test/page_test.js,
# driven by playwright-core as pinned in web/test/package-lock.json): its findings, its downloads
# and its messages for files it cannot use; its screenshot after a run is left in build-web/page.png.
#
#   bash scripts/test-web.sh      # VALDREX=path the native command (default build/cli/valdrex)
set -euo pipefail
REPO="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${BUILD_WEB:-$REPO/build-web}"
VALDREX="$(realpath "${VALDREX:-$REPO/build/cli/valdrex}")"

bash "$REPO/scripts/build-web.sh" >/dev/null
work="$(mktemp -d)"
# KEEP_WORK=1 keeps the workbooks, results and downloads for a look.
if [ -n "${KEEP_WORK:-}" ]; then echo "work: $work"; else trap 'rm -rf "$work"' EXIT; fi
"$VALDREX" sample "$work/sample.xlsx" >/dev/null
"$VALDREX" sample --classes 10 --students 45 --subjects 9 --seed 3 "$work/ten.xlsx" >/dev/null
mkdir "$work/teachers"
workbooks=("$work/sample.xlsx" "$work/ten.xlsx")
mapfile -t -O 2 workbooks < <(/usr/bin/python3 "$REPO/tests/keep/teacher_workbooks.py" "$work/teachers")

# Two results hold the same parts, byte for byte (or neither exists). With "made", two made
# workbooks: their properties say when each was made.
cat >"$work/same_parts.py" <<'PY'
import os, re, sys, zipfile
native, web = sys.argv[1:3]
made = sys.argv[3:] == ["made"]
if not os.path.exists(native) or not os.path.exists(web):
    sys.exit(0 if os.path.exists(native) == os.path.exists(web) else
             "only one of them wrote a result")
a, b = zipfile.ZipFile(native), zipfile.ZipFile(web)
if a.namelist() != b.namelist():
    sys.exit("other parts: %s" % sorted(set(a.namelist()) ^ set(b.namelist())))
def part(z, name):
    data = z.read(name)
    if made and name == "docProps/core.xml":
        data = re.sub(rb"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ", b"(made)", data)
    return data
differ = [n for n in a.namelist() if part(a, n) != part(b, n)]
if differ:
    sys.exit("parts differ: %s" % ", ".join(differ))
PY
failed=0
same() {
  if /usr/bin/python3 "$work/same_parts.py" "$2" "$3" ${4:-}; then echo "same: $1"; else
    echo "FAILED: $1" >&2
    failed=1
  fi
}

for wb in "${workbooks[@]}"; do
  name="$(basename "$wb")"
  "$VALDREX" run "$wb" --targets 5,20 --date 2026-12-06 -o "$work/native-$name" >/dev/null 2>&1 || true
  node "$REPO/web/worker_check.js" "$OUT/valdrex.js" "$wb" "$work/web-$name" 2026-12-06 \
    >/dev/null 2>&1 || true
  same "$name" "$work/native-$name" "$work/web-$name"
done

# --- The page in the browser. The driver is installed once, as the lock file pins it; the
# browser is the system's.
if [ ! -d "$REPO/web/test/node_modules/playwright-core" ]; then
  (cd "$REPO/web/test" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund >/dev/null)
fi
page="$work/page-in"
mkdir "$page"
cp "$work/sample.xlsx" "$work/ten.xlsx" "$page/"
head -c 3000 /dev/urandom >"$page/broken.xlsx"
# An old Excel file starts as every OLE compound file does.
{ printf '\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1'; head -c 4088 /dev/zero; } >"$page/old.xls"
# The sample without 属性表, and with a blank class, a score above the full mark and a word; the
# sample behind a cover sheet.
/usr/bin/python3 -c '
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb["成绩表"]
ws["A12"], ws["D20"], ws["E7"] = None, 170, "八十"
wb.save(sys.argv[3])
del wb["属性表"]
wb.save(sys.argv[2])
wb = openpyxl.load_workbook(sys.argv[1])
wb.create_sheet("说明", 0)["A1"] = "本工作簿是期末考试成绩"
wb.save(sys.argv[4])' "$page/sample.xlsx" "$page/noprops.xlsx" "$page/findings.xlsx" \
  "$page/cover.xlsx"
# The same students at an earlier exam: every score moved by -10..10 points within its full mark,
# and the command's run against it with the sheets written only when asked.
/usr/bin/python3 -c '
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb["成绩表"]
for r in range(4, ws.max_row + 1):
    for c in range(4, ws.max_column + 1):
        v = ws.cell(r, c).value
        if isinstance(v, (int, float)):
            ws.cell(r, c).value = min(max(0, v + (r * 7 + c * 3) % 21 - 10), ws.cell(2, c).value)
wb.save(sys.argv[2])' "$page/sample.xlsx" "$page/earlier.xlsx"
(cd "$page" && "$VALDREX" run sample.xlsx --near --segments all --compare earlier.xlsx \
  --targets 5,20 --date 2026-12-06 -o "$work/native-asked.xlsx" >"$page/run-asked.txt" 2>&1)
(cd "$page" && "$VALDREX" run sample.xlsx --slips --levels --no-ranks --targets 5,20 \
  --date 2026-12-06 -o "$work/native-slips.xlsx" >/dev/null 2>&1)
for wb in "$page"/*.xls*; do
  name="$(basename "$wb")"
  (cd "$page" && "$VALDREX" check "$name" >"check-$name.txt" 2>&1) || true
done
(cd "$page" && "$VALDREX" check cover.xlsx --sheet 成绩表 >check-cover.xlsx-成绩表.txt 2>&1) || true
"$VALDREX" run "$page/cover.xlsx" --sheet 成绩表 --no-charts --targets 5,20 --date 2026-12-06 \
  -o "$work/native-cover.xlsx" >/dev/null 2>&1
started=$SECONDS
if node "$REPO/web/test/page_test.js" "$OUT/valdrex.html" "$OUT/site" "$page" 2026-12-06; then
  echo "page: $((SECONDS - started)) s"
else
  echo "FAILED: the page" >&2
  failed=1
fi
cp "$page/page.png" "$OUT/page.png" 2>/dev/null || true
for name in sample ten; do
  same "page $name" "$work/native-$name.xlsx" "$page/page/$name-统计结果.xlsx"
done
same "page from a web server" "$work/native-sample.xlsx" "$page/page/site-sample-统计结果.xlsx"
same "page with the score sheet chosen, without charts" "$work/native-cover.xlsx" "$page/page/cover-统计结果.xlsx"
same "page with 临界生, 一分一段表 of every subject and 进退步" "$work/native-asked.xlsx" \
  "$page/page/asked-sample-统计结果.xlsx"
same "page with 成绩条, levels and no ranks" "$work/native-slips.xlsx" \
  "$page/page/slips-sample-统计结果.xlsx"
"$VALDREX" template "$work/template.xlsx" >/dev/null
"$VALDREX" sample "$work/made-sample.xlsx" >/dev/null
"$VALDREX" classes "$work/ten.xlsx" -o "$work/classes-ten.xlsx" >/dev/null
same "page's template" "$work/template.xlsx" "$page/page/made-成绩模板.xlsx" made
same "page's sample" "$work/made-sample.xlsx" "$page/page/made-示例.xlsx" made
same "page's class listing" "$work/classes-ten.xlsx" "$page/page/classes-ten.xlsx"
# The preview of 两率一分 shows the cells of the command's result as the library reads them: a
# number in its shortest form, or with two decimals where its cell's format has them.
if ! /usr/bin/python3 -c '
import datetime, json, os, sys, openpyxl
folder, native = sys.argv[1:]
def text(v):
    if v is None: return ""
    if isinstance(v, bool): return "True" if v else "False"
    if isinstance(v, float): return str(int(v)) if v.is_integer() else repr(v)
    if isinstance(v, datetime.datetime): return "%d/%d/%d" % (v.year, v.month, v.day)
    return str(v)
for name in ["sample", "ten"]:
    shown = json.load(open(os.path.join(folder, "preview-%s.xlsx.json" % name)))
    ws = openpyxl.load_workbook(os.path.join(native, "native-%s.xlsx" % name))["两率一分"]
    for r, row in enumerate(shown, 1):
        for c, cell in enumerate(row, 1):
            value = ws.cell(r, c).value
            expected = text(value)
            if ws.cell(r, c).number_format == "0.00" and isinstance(value, (int, float)):
                expected = "%.2f" % value
            assert cell == expected, "%s 两率一分 R%dC%d: shown %r, the result holds %r" % (
                name, r, c, cell, expected)
' "$page/page" "$work"; then
  echo "FAILED: the preview of 两率一分" >&2
  failed=1
fi
# The zip holds each result as it downloads alone.
if ! /usr/bin/python3 -c '
import os, sys, zipfile
folder = sys.argv[1]
z = zipfile.ZipFile(os.path.join(folder, "统计结果.zip"))
assert z.testzip() is None
names = sorted(z.namelist())
assert names == ["sample-统计结果.xlsx", "ten-统计结果.xlsx"], names
for n in names:
    assert z.read(n) == open(os.path.join(folder, n), "rb").read(), n' "$page/page"; then
  echo "FAILED: the page's zip" >&2
  failed=1
fi
exit "$failed"
