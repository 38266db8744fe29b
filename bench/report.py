#!/usr/bin/python3
"""Runs every benchmark of a release build and prints one table of medians,
with the targets and the start-up figures' ratios to the floor, the least Qt
program that shows the same opening screen.

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
harness = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -noreset", f"{here}/startup.py"]
programs = [f"{build}/bench/startup_probe", f"{build}/bench/baseline_window"]
for command in ([*harness, "count", *programs], [*harness, "time", *programs, f"{build}/app/tintora", "21"]):
    for line in subprocess.run(command, check=True, capture_output=True, text=True).stdout.splitlines():
        name, *values = line.split()
        startup[name] = values

cpu = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo") if line.startswith("model name")),
           platform.processor())
qt = subprocess.run(["qtpaths6", "--qt-version"], capture_output=True, text=True).stdout.strip() or "6"


def startup_row(name, key, form, scale, target):
    """A start-up figure against the floor: its value, its target and the ratio."""
    ours, floor, ratio = (float(v) for v in startup[key])
    return (name, form.format(ours * scale), f"≤ {target:.2f} × floor" if target else "",
            f"{ratio:.3f} (floor {form.format(floor * scale)})", target is None or ratio <= target)


rows = [
    ("one whole measurement with 60 bar moves, engine", f"{engine['BM_WholeMeasurement']:.2f} µs", "< 5 µs", "",
     engine['BM_WholeMeasurement'] < 5),
    ("one bar move, engine", f"{engine['BM_BarMove'] * 1000:.0f} ns", "", "", True),
    ("one bar move, widgets, repaint included", f"{widgets['BM_WidgetBarMove']:.0f} µs", "< 1000 µs", "",
     widgets['BM_WidgetBarMove'] < 1000),
    ("one confirm click, widgets, repaint included", f"{widgets['BM_WidgetConfirmClick']:.0f} µs", "", "", True),
    startup_row("start-up instructions to first frame (callgrind)", "instructions", "{:.1f} M", 1e-6, 1.05),
    startup_row("start-up to first frame, seen on the X server", "outside-startup-ms", "{:.1f} ms", 1, 1.10),
    startup_row("peak resident memory, seen from outside", "outside-peak-rss-mib", "{:.1f} MiB", 1, 1.03),
    startup_row("start-up to first frame, reported by the program", "inside-startup-ms", "{:.1f} ms", 1, None),
    startup_row("peak resident memory, reported by the program", "inside-peak-rss-mib", "{:.1f} MiB", 1, None),
]
print(f"Machine: {cpu}, {os.cpu_count()} cores, Linux {platform.release()}, Qt {qt}, "
      f"{startup['runs'][0]} interleaved start-up runs, 7 benchmark repetitions\n")
print("| figure | median | target | tintora / floor |")
print("|---|---|---|---|")
for name, value, target, ratio, met in rows:
    print(f"| {name} | {value} | {target}{'' if met else ' **missed**'} | {ratio} |")
sys.exit(0 if all(r[4] for r in rows) else 1)
