#!/usr/bin/python3
"""Ends the real program in every phase of a measurement, by "ＥＮＤ" and by
the close box: the desktop program, or the Windows one under Wine. Each
time the process must exit with status 0 within one second and print no
sanitizer or leak report.

With --valgrind LOG, one whole measurement instead, each stage's bar moved
by its track and an arrow, then 再測定 and ＥＮＤ, all under valgrind's
memcheck: it passes when memcheck finds no error and no block definitely
lost from the program's own code.

Usage: xvfb-run -a end_and_close.py [--valgrind LOG] PROGRAM [ARGUMENTS...]
"""
import os
import re
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "../support"))
from checks import check, summary  # noqa: E402
from screen import Screen, click, running_openbox, window_id  # noqa: E402
from tables import CHANNELS, MEASUREMENT, ROLES, bar_part, centre  # noqa: E402

# Each phase of a measurement, by the buttons pressed to reach it.
PHASES = [(name, MEASUREMENT[:count]) for count, name in enumerate([
    "before ＳＴＡＲＴ", "red stage", "red confirmed", "green stage", "green confirmed", "blue stage", "blue confirmed",
    "scored"])]
REPORTS = ("AddressSanitizer", "LeakSanitizer", "runtime error:", "UndefinedBehaviorSanitizer")
MEMCHECK = ["valgrind", "--tool=memcheck", "--leak-check=full", "--show-leak-kinds=definite",
            "--errors-for-leak-kinds=none", f"--suppressions={here}/valgrind.supp", "--num-callers=30"]


def read(file):
    file.seek(0)
    return file.read()


def run(command, phase, points, ending, pause=0.1, slow=False):
    """Starts the program, clicks through to the phase and ends it; the
    problems seen, or None. A slow program (under valgrind) is given time."""
    # The reports go to a file: Wine's server outlives the program and would
    # hold a pipe open after it has ended.
    errors_file = tempfile.TemporaryFile("w+")
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=errors_file, text=True)
    window = window_id(process, 60 if slow else 20)
    if window is None:
        process.kill()
        return f"{phase}, {ending}: the window did not open: {read(errors_file).strip()}"
    time.sleep(2 if slow else 0.3)
    for point in points:
        click(window, *point, pause)
    time.sleep(0.2)
    if process.poll() is not None:
        return f"{phase}, {ending}: the program ended before it was told to ({process.returncode})"
    started = time.monotonic()
    if ending == "ＥＮＤ":
        click(window, *centre(ROLES["end"]), 0)
    else:
        screen = Screen()
        screen.close_box(window)
        screen.close()
    try:
        process.wait(timeout=120 if slow else 5)
    except subprocess.TimeoutExpired:
        process.kill()
        return f"{phase}, {ending}: still running after the time it was given; window {window}"
    took = time.monotonic() - started
    errors = read(errors_file)
    problems = [f"exit status {process.returncode}"] if process.returncode != 0 else []
    if took > 1.0 and not slow:
        problems.append(f"took {took:.2f} s")
    if any(report in errors for report in REPORTS):
        problems.append("a sanitizer reported:\n" + errors)
    print(f"{phase:16} {ending:4}  status {process.returncode}  {took * 1000:5.0f} ms")
    return f"{phase}, {ending}: " + "; ".join(problems) if problems else None


def under_memcheck(command, log):
    moves = {channel["confirm"]: channel["bar"] for channel in CHANNELS}
    points = [point for name in MEASUREMENT + [ROLES["remeasure"]] for point in (
        [bar_part(moves[name], "track more"), bar_part(moves[name], "more")] if name in moves else []) + [centre(name)]]
    check(run([*MEMCHECK, f"--log-file={log}", *command], "whole, 再測定", points, "ＥＮＤ", 1.5, True) is None,
          "under valgrind, ＥＮＤ ends the program with status 0")
    text = open(log).read()
    errors = re.findall(r"ERROR SUMMARY: (\d+) errors", text)
    clean = bool(errors) and errors[-1] == "0"
    check(clean, f"memcheck finds no error (log: {log})" + ("" if clean else "\n" + text[-6000:]))
    # A definitely lost block counts against the program when its stack
    # passes through the program's own code.
    own = [block for block in re.split(r"\n==\d+== \n", text)
           if "definitely lost in loss record" in block and "tintora::" in block]
    check(not own, "no block definitely lost from the program's code" + "".join("\n" + block for block in own))


def main():
    arguments = sys.argv[1:]
    # Under a window manager, as users run it; without one, Wine waits two
    # seconds for a state no manager sets before it lets a window go.
    with running_openbox():
        if arguments[0] == "--valgrind":
            under_memcheck(arguments[2:], arguments[1])
            return summary()
        for phase, names in PHASES:
            for ending in ("ＥＮＤ", "close"):
                failure = run(arguments, phase, [centre(name) for name in names], ending)
                check(failure is None, failure or f"{phase}: {ending} ends the program")
    return summary()


if __name__ == "__main__":
    sys.exit(main())
