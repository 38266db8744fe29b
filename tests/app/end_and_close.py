#!/usr/bin/python3
"""Ends the real tintora in every phase of a measurement, by "ＥＮＤ" and by
the close box, under Xvfb. Each time the process must exit with status 0
within one second and print no sanitizer or leak report.

Usage: end_and_close.py TINTORA
"""
import os
import subprocess
import sys
import time

from Xlib import X, display, protocol

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../support"))
from screen import window_id, xdotool  # noqa: E402
from tables import MEASUREMENT, ROLES, centre  # noqa: E402

# Each phase of a measurement, by the buttons pressed to reach it.
PHASES = [(name, MEASUREMENT[:count]) for count, name in enumerate([
    "before ＳＴＡＲＴ", "red stage", "red confirmed", "green stage", "green confirmed", "blue stage", "blue confirmed",
    "scored"])]

REPORTS = ("AddressSanitizer", "LeakSanitizer", "runtime error:", "UndefinedBehaviorSanitizer")


def click(name):
    xdotool("mousemove", *centre(name), "click", "1")
    time.sleep(0.1)


def close_box(window):
    """What a window manager sends when the user presses the close box."""
    x = display.Display()
    target = x.create_resource_object("window", window)
    protocols = x.intern_atom("WM_PROTOCOLS")
    delete = x.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=target, client_type=protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    target.send_event(event, event_mask=X.NoEventMask)
    x.sync()  # a round trip: the server has taken the request when this returns
    x.close()


def run(tintora, phase, clicks, ending):
    process = subprocess.Popen([tintora], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    window = window_id(process)
    if window is None:
        process.kill()
        return f"{phase}, {ending}: the window did not open: {process.communicate()[1].strip()}"
    time.sleep(0.3)
    for name in clicks:
        click(name)
    time.sleep(0.2)
    if process.poll() is not None:
        return f"{phase}, {ending}: the program ended before it was told to ({process.returncode})"
    started = time.monotonic()
    if ending == "ＥＮＤ":
        xdotool("mousemove", *centre(ROLES["end"]), "click", "1")
    else:
        close_box(window)
    try:
        _, errors = process.communicate(timeout=5)
    except subprocess.TimeoutExpired:
        shown = xdotool("search", "--onlyvisible", "--name", ".").stdout.split()
        names = [(w, xdotool("getwindowname", w).stdout.strip()) for w in shown]
        process.kill()
        return f"{phase}, {ending}: still running after 5 s; window {window}; shown: {names}"
    took = time.monotonic() - started
    problems = []
    if process.returncode != 0:
        problems.append(f"exit status {process.returncode}")
    if took > 1.0:
        problems.append(f"took {took:.2f} s")
    if any(report in errors for report in REPORTS):
        problems.append("a sanitizer reported:\n" + errors)
    print(f"{phase:16} {ending:4}  status {process.returncode}  {took * 1000:5.0f} ms")
    return f"{phase}, {ending}: " + "; ".join(problems) if problems else None


def main():
    tintora = os.path.abspath(sys.argv[1])
    failures = [f for phase, clicks in PHASES for ending in ("ＥＮＤ", "close")
                if (f := run(tintora, phase, clicks, ending))]
    runs = len(PHASES) * 2
    print(f"{runs - len(failures)} passed, {len(failures)} failed")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
