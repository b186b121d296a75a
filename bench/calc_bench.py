#!/usr/bin/python3
"""Times 统计 inside a headless Calc: from the dispatch to its return, on a workbook already open
(opened afresh before each run). Prints the median in seconds.

    calc_bench.py OXT WORKBOOK WORKDIR RUNS FIRST,SECOND
"""
import os
import shutil
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "calc"))
from calc_extension_test import Office, missing_office  # noqa: E402


def main(oxt, workbook, work, runs, targets):
    why = missing_office(oxt)
    if why:
        sys.exit("calc_bench: " + why)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    shutil.copy(oxt, work)
    office = Office(work, os.path.join(work, os.path.basename(oxt)))
    times = []
    try:
        for _ in range(int(runs)):
            doc = office.load(workbook)
            start = time.perf_counter()
            office.dispatch(doc, "run", targets.split(","))
            times.append(time.perf_counter() - start)
            doc.close(True)
    finally:
        office.close()
    print("%.3f" % statistics.median(times))


if __name__ == "__main__":
    main(*sys.argv[1:6])
