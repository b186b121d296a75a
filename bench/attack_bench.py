#!/usr/bin/env python3
"""Runs `valdrex run` and `valdrex check` on each hostile workbook of attack_workbooks.py and
prints its time and peak memory beside the budget: every input of up to 20 MB runs or is refused
within 256 MB and 5 s.

  attack_bench.py VALDREX FOLDER [CASE...]   the files are made in FOLDER once and kept there
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import attack_workbooks  # noqa: E402

BUDGET_MB, BUDGET_S, MOST_INPUT_MB = 256, 5.0, 20


def measured(command, folder):
    """(exit status, seconds, peak MB, the last line it printed) of one run of the command."""
    timing = os.path.join(folder, ".time")
    done = subprocess.run(["/usr/bin/time", "-f", "%e %M", "-o", timing] + command,
                          capture_output=True, text=True, cwd=folder)
    seconds, kilobytes = open(timing).read().split()[-2:]
    said = [line for line in (done.stderr + done.stdout).splitlines() if line.strip()]
    return done.returncode, float(seconds), int(kilobytes) / 1024, said[-1] if said else ""


def main(valdrex, folder, cases):
    os.makedirs(folder, exist_ok=True)
    print(f"{'case':26s} {'file':>7s}  {'command':7s} {'exit':>4s} {'time':>7s} {'peak':>9s}"
          f"  verdict  (budget {BUDGET_MB} MB, {BUDGET_S:.0f} s)")
    over = 0
    for case in cases:
        path = os.path.join(folder, case + ".xlsx")
        if not os.path.exists(path):
            attack_workbooks.CASES[case](path)
        size = os.path.getsize(path) / (1 << 20)
        result = os.path.join(folder, case + "-result.xlsx")
        for name, command in (("run", [valdrex, "run", path, "--date", "2026-12-06", "--targets",
                                        "5,20", "-o", result]),
                              ("check", [valdrex, "check", path])):
            status, seconds, peak, said = measured(command, folder)
            within = peak <= BUDGET_MB and seconds <= BUDGET_S
            over += not within
            print(f"{case:26s} {size:5.1f}MB  {name:7s} {status:4d} {seconds:6.2f}s {peak:6.1f} MB"
                  f"  {'within budget' if within else 'OVER BUDGET'}  {said[:90]}")
        if os.path.exists(result):
            os.remove(result)
        if size > MOST_INPUT_MB:
            print(f"  (the file is larger than the {MOST_INPUT_MB} MB the budget is for)")
    return over


if __name__ == "__main__":
    chosen = sys.argv[3:] or list(attack_workbooks.CASES)
    sys.exit(1 if main(sys.argv[1], sys.argv[2], chosen) else 0)
