#!/usr/bin/python3
"""Start-up of tintora against a bare Qt window, under Xvfb.

Starts tintora's start-up probe (the real application object and window code,
plus a report of the first painted frame) and the baseline window, interleaved,
RUNS times each, and prints for each the median time from process start to
first frame and the median peak resident memory, with the ratio of the two.

Usage: startup.py PROBE BASELINE [RUNS]
"""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../tests/support"))
from xvfb import running_xvfb  # noqa: E402


def one_run(program):
    started = time.monotonic_ns()
    process = subprocess.Popen([program], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    output, _ = process.communicate(timeout=60)
    status = process.returncode
    fields = output.split()
    if status != 0 or len(fields) != 3 or fields[0] != "first-frame":
        raise RuntimeError(f"{program} said {output!r}, status {status}")
    return (int(fields[1]) - started) / 1e6, int(fields[2]) / 1024


def main():
    probe, baseline = (os.path.abspath(p) for p in sys.argv[1:3])
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 11
    with running_xvfb("1024x768x24"):
        # One untimed run each, so that neither pays alone for a cold disk cache.
        one_run(probe)
        one_run(baseline)
        results = {"tintora": [], "baseline": []}
        for _ in range(runs):
            results["tintora"].append(one_run(probe))
            results["baseline"].append(one_run(baseline))
    medians = {name: (statistics.median(r[0] for r in rs), statistics.median(r[1] for r in rs))
               for name, rs in results.items()}
    t, b = medians["tintora"], medians["baseline"]
    print(f"startup-ms {t[0]:.1f} {b[0]:.1f} {t[0] / b[0]:.2f}")
    print(f"peak-rss-mib {t[1]:.1f} {b[1]:.1f} {t[1] / b[1]:.2f}")
    print(f"runs {runs}")


if __name__ == "__main__":
    main()
