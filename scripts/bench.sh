#!/usr/bin/env bash
# Measures the largest grade (20 classes of 100 students in 12 subjects): the benchmark program,
# then the whole `valdrex run` on the largest workbook beside the floor program (the xlsx writer
# library alone writing as many cells), as medians of several runs in the same session, and the
# peak memory of the run, and the run without its charts (--no-charts). Then a batch of 40
# ten-class workbooks in one call, beside the same call pinned to one core. Compares each figure
# with its budget, and prints the load average around the measurements (other work on the
# machine shows in every figure).
# Where the Calc extension is built, 统计 inside a headless Calc on the same workbook is timed
# beside the command (CALC_RUNS runs): its statistics and report sheets against the budget of twice
# the command's run, and the charts Calc draws on 统计图表 apart.
# Last, `valdrex run` and `valdrex check` on each hostile workbook of bench/attack_workbooks.py
# (small files that once took gigabytes or minutes), their time and peak memory beside the budget
# of 256 MB and 5 s; the files are made once in ATTACKS (a folder kept between runs).
#
# Today's build is also timed beside a fixed earlier release (BASELINE, built once into the
# benchmark folder from the repository's history), so a change of speed shows in one run.
#
#   bash scripts/bench.sh     # RUNS=15 JOBS=1 BUILD=dir change the runs, build jobs and folder,
#                             # ATTACKS=dir where the hostile workbooks are kept;
#                             # FLOOR_SOURCE=file names the floor program when not beside the repo
set -euo pipefail
REPO="$(cd "$(dirname "$0")/.." && pwd)"
FLOOR_SOURCE="${FLOOR_SOURCE:-$(dirname "$REPO")/shared/bench/xlsx_write_floor.c}"
BUILD="${BUILD:-$REPO/build-bench}"
RUNS="${RUNS:-10}"
# The release whose writer compressed with zlib through libzip, one part after another.
BASELINE="${BASELINE:-1f491cb}"

bash "$REPO/scripts/install-deps.sh"
cmake -S "$REPO" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DVALDREX_BENCH=ON >/dev/null
targets=(valdrex valdrex_bench)
grep -q '^VALDREX_LIBREOFFICE:BOOL=ON' "$BUILD/CMakeCache.txt" && targets+=(valdrex_oxt)
cmake --build "$BUILD" --target "${targets[@]}" -j"${JOBS:-$(nproc)}" >/dev/null

work="$(mktemp -d)"
chmod 711 "$work"  # the office's profile below is made by an unprivileged user when run as root
trap 'rm -rf "$work"' EXIT

base="$BUILD/baseline-$BASELINE"
if [ ! -x "$base/build/cli/valdrex" ]; then
  rm -rf "$base" && mkdir -p "$base/src"
  git -C "$REPO" archive "$BASELINE" | tar -x -C "$base/src"
  cmake -S "$base/src" -B "$base/build" -DCMAKE_BUILD_TYPE=Release -DVALDREX_BUILD_TESTS=OFF \
    -DVALDREX_LIBREOFFICE=OFF >/dev/null
  # The old sources' compiler warnings are not this build's business.
  cmake --build "$base/build" --target valdrex -j"${JOBS:-$(nproc)}" >"$base/build.log" 2>&1 ||
    { cat "$base/build.log"; exit 1; }
fi

cut -d' ' -f1-3 /proc/loadavg >"$work/load.txt"
echo "== In memory (medians of 5 repetitions)"
"$BUILD/bench/valdrex_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$work/bench.json" --benchmark_out_format=json

echo
echo "== End to end (median of $RUNS runs each)"
"$BUILD/cli/valdrex" sample --classes 20 --students 100 --subjects 12 "$work/largest.xlsx" >/dev/null
cc -O2 "$FLOOR_SOURCE" -o "$work/xlsx_write_floor" -lxlsxwriter
args="run $work/largest.xlsx --targets 5,20 --date 2026-12-06"
# Each program its own result: a result the other one wrote is not ours to replace unasked.
run="$BUILD/cli/valdrex $args -o $work/result.xlsx"
hyperfine -N --style basic --warmup 2 --runs "$RUNS" --export-json "$work/times.json" \
  -n "valdrex run" "$run" \
  -n "without charts" "$run --no-charts" \
  -n "baseline run" "$base/build/cli/valdrex $args -o $work/baseline.xlsx" \
  -n "floor" "$work/xlsx_write_floor $work/floor.xlsx" \
  -n "floor streaming" "$work/xlsx_write_floor $work/floor.xlsx streaming" >/dev/null

# Peak memory: the median of three runs.
for _ in 1 2 3; do
  /usr/bin/time -v $run 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p'
done >"$work/rss.txt"

# 统计 inside Calc, the document already open; the targets answered through the test hook.
oxt="$BUILD/libreoffice/valdrex.oxt"
if [ -f "$oxt" ]; then
  /usr/bin/python3 "$REPO/bench/calc_bench.py" "$oxt" "$work/largest.xlsx" "$work/calc" \
    "${CALC_RUNS:-5}" 5,20 >"$work/calc.txt" || echo "统计 inside Calc could not be timed" >&2
fi

# A batch: every workbook of a call is a job of its own, on every core.
mkdir "$work/batch"
for i in $(seq 1 40); do
  "$BUILD/cli/valdrex" sample --classes 10 --students 100 --subjects 12 --seed "$i" \
    "$work/batch/w$i.xlsx" >/dev/null
done
batch="$BUILD/cli/valdrex run $(echo "$work"/batch/w*.xlsx) --targets 5,20 --date 2026-12-06"
hyperfine -N --style basic --warmup 1 --runs 5 --export-json "$work/batch.json" \
  -n "batch" "$batch" -n "batch on one core" "taskset -c 0 $batch" >/dev/null
cut -d' ' -f1-3 /proc/loadavg >>"$work/load.txt"

python3 - "$work/bench.json" "$work/times.json" "$work/rss.txt" "$BASELINE" "$work/batch.json" \
  "$work/load.txt" "$work/calc.txt" <<'EOF'
import json, statistics, sys

bench = json.load(open(sys.argv[1]))["benchmarks"]
def median_ms(name):
    for b in bench:
        if b["name"] == name + "/real_time_median":
            factor = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
            return b["real_time"] * factor
    return float("nan")

def medians(path):
    return {r["command"]: statistics.median(r["times"]) for r in json.load(open(path))["results"]}

times = medians(sys.argv[2])
batches = medians(sys.argv[5])
load = [line.split() for line in open(sys.argv[6])]
rss_mb = statistics.median(int(line) for line in open(sys.argv[3])) / 1024

def verdict(ok):
    return "within budget" if ok else "OVER BUDGET"

run, floor, streaming = times["valdrex run"], times["floor"], times["floor streaming"]
baseline = times["baseline run"]
plain = times["without charts"]
output = median_ms("BM_compileReports_largest_grade")
print(f"输出 in memory, largest grade:   {output:7.1f} ms   (budget 20 ms)        {verdict(output <= 20)}")
print(f"valdrex run, largest workbook:   {run:7.3f} s")
print(f"{'earlier release ' + sys.argv[4] + ':':33s}{baseline:7.3f} s    run / release = {run / baseline:.2f}"
      f"   (budget 1.0)  {verdict(run <= baseline)}")
print(f"without charts (--no-charts):    {plain:7.3f} s    charts cost {(run / plain - 1) * 100:+.1f} %"
      f"  (budget 5 %)   {verdict(run <= 1.05 * plain)}")
print(f"floor, normal mode:              {floor:7.3f} s    run / floor = {run / floor:.2f}")
print(f"floor, streaming mode:           {streaming:7.3f} s    run / floor = {run / streaming:.2f}"
      f"   (budget 0.6)  {verdict(run <= 0.6 * streaming)}")
print(f"peak memory of the run:          {rss_mb:7.1f} MB   (budget 64 MB)        {verdict(rss_mb <= 64)}")
one, pinned = batches["batch"], batches["batch on one core"]
print(f"batch of 40 ten-class workbooks: {one:7.3f} s    on one core {pinned:.3f} s, batch / one core ="
      f" {one / pinned:.2f}   (budget 0.8)  {verdict(one <= 0.8 * pinned)}")
print(f"load average (1, 5, 15 min):     {' '.join(load[0])} before, {' '.join(load[-1])} after")
try:
    calc, pages, charts, whole = (float(x) for x in open(sys.argv[7]).read().split())
    print(f"valdrex run, end to end:         {run:7.3f} s    without charts {plain:.3f} s")
    print(f"统计 inside Calc, largest grade:  {calc:7.3f} s    calc / run = {calc / run:.2f}"
          f"   (budget 2)    {verdict(calc <= 2 * run)}   (statistics and report sheets)")
    print(f"  the report sheets' pages:        {pages:7.3f} s    (timed apart)   with them calc / run ="
          f" {(calc + pages) / run:.2f}")
    print(f"  its charts on 统计图表:           {charts:7.3f} s    (timed apart)")
    print(f"  the whole 统计, dispatch to end: {whole:7.3f} s")
except (OSError, ValueError):
    print("统计 inside Calc:                 not measured (the Calc extension is not built)")
print()
print("输出 by grade size:")
for classes in (1, 5, 10, 20):
    print(f"  {classes:2d} classes of 100: {median_ms(f'BM_compileReports_by_classes/classes:{classes}'):7.2f} ms")
EOF

echo
echo "== Hostile workbooks (load average $(cut -d' ' -f1-3 /proc/loadavg))"
python3 "$REPO/bench/attack_bench.py" "$BUILD/cli/valdrex" "${ATTACKS:-$BUILD/attacks}" ||
  echo "some hostile workbook went over the budget"
