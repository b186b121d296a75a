#!/usr/bin/python3
"""Times 统计 inside a headless Calc on a workbook already open (opened afresh before each run):
the statistics with the report sheets and, apart, the report sheets' pages (breaks, page styles)
and the charts Calc draws on 统计图表 (as the extension logs them through its test hook), and the
whole command from the dispatch to its return.
Prints the four medians in seconds on one line: statistics, pages, charts, whole. Given the `valdrex`
program too, it also times `valdrex run` on the same workbook and prints the figures side by side
with the budget: the statistics inside Calc in at most twice the command's time.

    calc_bench.py OXT WORKBOOK WORKDIR RUNS FIRST,SECOND [VALDREX]
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "calc"))
from calc_extension_test import Office, missing_office  # noqa: E402


def logged_timings(hook):
    """timings.txt of the last 统计: {"statistics": seconds, "pages": seconds, "charts": seconds}."""
    with open(os.path.join(hook, "timings.txt")) as f:
        return {name: float(value) for name, value in (line.split("\t") for line in f)}


def command_time(valdrex, workbook, work, runs, targets):
    """The median of `valdrex run` on the workbook, its result written into `work`."""
    times = []
    for _ in range(int(runs)):
        start = time.perf_counter()
        subprocess.run([valdrex, "run", workbook, "--targets", targets, "--date", "2026-12-06",
                        "--force", "-o", os.path.join(work, "command-result.xlsx")],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main(oxt, workbook, work, runs, targets, valdrex=None):
    why = missing_office(oxt)
    if why:
        sys.exit("calc_bench: " + why)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    shutil.copy(oxt, work)
    office = Office(work, os.path.join(work, os.path.basename(oxt)))
    parts, wholes = {"statistics": [], "pages": [], "charts": []}, []
    try:
        for _ in range(int(runs)):
            doc = office.load(workbook)
            start = time.perf_counter()
            office.dispatch(doc, "run", targets.split(","))
            wholes.append(time.perf_counter() - start)
            for name, seconds in logged_timings(office.hook).items():
                parts[name].append(seconds)
            doc.close(True)
    finally:
        office.close()
    calc, pages, charts, whole = (statistics.median(parts["statistics"]),
                                  statistics.median(parts["pages"]),
                                  statistics.median(parts["charts"]), statistics.median(wholes))
    if not valdrex:
        print("%.3f %.3f %.3f %.3f" % (calc, pages, charts, whole))
        return
    run = command_time(valdrex, workbook, work, runs, targets)
    print("valdrex run:                     %7.3f s" % run)
    print("统计 inside Calc, report sheets:  %7.3f s    calc / run = %.2f   (budget 2)   %s"
          % (calc, calc / run, "within budget" if calc <= 2 * run else "OVER BUDGET"))
    print("统计 inside Calc, their pages:    %7.3f s    with them: calc / run = %.2f"
          % (pages, (calc + pages) / run))
    print("统计 inside Calc, its charts:     %7.3f s" % charts)
    print("统计 inside Calc, dispatch to end:%7.3f s" % whole)


if __name__ == "__main__":
    main(*sys.argv[1:7])
