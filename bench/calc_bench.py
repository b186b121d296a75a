#!/usr/bin/python3
"""Times 统计 inside a headless Calc on a workbook already open (opened afresh before each run):
the statistics with the report sheets and, apart, the charts Calc draws on 统计图表 (as the
extension logs them through its test hook), and the whole command from the dispatch to its return.
Prints the three medians in seconds on one line: statistics, charts, whole.

    calc_bench.py OXT WORKBOOK WORKDIR RUNS FIRST,SECOND
"""
import os
import shutil
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "calc"))
from calc_extension_test import Office, missing_office  # noqa: E402


def logged_timings(hook):
    """timings.txt of the last 统计: {"statistics": seconds, "charts": seconds}."""
    with open(os.path.join(hook, "timings.txt")) as f:
        return {name: float(value) for name, value in (line.split("\t") for line in f)}


def main(oxt, workbook, work, runs, targets):
    why = missing_office(oxt)
    if why:
        sys.exit("calc_bench: " + why)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    shutil.copy(oxt, work)
    office = Office(work, os.path.join(work, os.path.basename(oxt)))
    parts, wholes = {"statistics": [], "charts": []}, []
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
    print("%.3f %.3f %.3f" % (statistics.median(parts["statistics"]),
                              statistics.median(parts["charts"]), statistics.median(wholes)))


if __name__ == "__main__":
    main(*sys.argv[1:6])
