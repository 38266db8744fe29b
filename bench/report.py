#!/usr/bin/python3
"""Runs every benchmark of a release build and prints one table of medians,
with the targets and the ratios to the bare Qt window.

Usage: report.py BUILD_DIR
"""
import json
import os
import platform
import subprocess
import sys

build = sys.argv[1]
here = os.path.dirname(os.path.abspath(__file__))


def medians(program, *extra):
    output = subprocess.run([program, "--benchmark_format=json", "--benchmark_repetitions=7",
                             "--benchmark_report_aggregates_only=true", *extra],
                            check=True, capture_output=True, text=True).stdout
    return {b["run_name"]: b["real_time"] * {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]
            for b in json.loads(output)["benchmarks"] if b.get("aggregate_name") == "median"}


engine = medians(f"{build}/bench/engine_bench")
widgets = medians(f"{build}/bench/ui_bench")
startup = {}
for line in subprocess.run([f"{here}/startup.py", f"{build}/bench/startup_probe", f"{build}/bench/baseline_window", "11"],
                           check=True, capture_output=True, text=True).stdout.splitlines():
    name, *values = line.split()
    startup[name] = values

cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), platform.processor())
qt = subprocess.run(["qtpaths6", "--qt-version"], capture_output=True, text=True).stdout.strip() or "6"

rows = [
    ("one whole measurement, engine", f"{engine['BM_WholeMeasurement']:.2f} µs", "< 5 µs", "", engine['BM_WholeMeasurement'] < 5),
    ("one bar move, engine", f"{engine['BM_BarMove'] * 1000:.0f} ns", "", "", True),
    ("one bar move, widgets, repaint included", f"{widgets['BM_WidgetBarMove']:.0f} µs", "< 1000 µs", "",
     widgets['BM_WidgetBarMove'] < 1000),
    ("one confirm click, widgets, repaint included", f"{widgets['BM_WidgetConfirmClick']:.0f} µs", "", "", True),
    ("start-up to first frame", f"{float(startup['startup-ms'][0]):.1f} ms", "≤ 1.3 × baseline",
     f"{startup['startup-ms'][2]} (baseline {startup['startup-ms'][1]} ms)", float(startup['startup-ms'][2]) <= 1.3),
    ("peak resident memory", f"{float(startup['peak-rss-mib'][0]):.1f} MiB", "≤ 1.3 × baseline",
     f"{startup['peak-rss-mib'][2]} (baseline {startup['peak-rss-mib'][1]} MiB)", float(startup['peak-rss-mib'][2]) <= 1.3),
]
print(f"Machine: {cpu}, {os.cpu_count()} cores, Linux {platform.release()}, Qt {qt}, "
      f"{startup['runs'][0]} interleaved start-up runs, 7 benchmark repetitions\n")
print("| figure | median | target | tintora / baseline |")
print("|---|---|---|---|")
for name, value, target, ratio, met in rows:
    print(f"| {name} | {value} | {target}{'' if met else ' **missed**'} | {ratio} |")
sys.exit(0 if all(r[4] for r in rows) else 1)
