#!/usr/bin/python3
"""A whole measurement of the real tintora by keyboard alone, under Xvfb with
openbox, reading where the focus stands over AT-SPI after every step.

When a button the user pressed goes away, the focus goes to the next step's
control, never to ＥＮＤ (where one more Space would end the program); a
button that opens a stage (ＳＴＡＲＴ, R, G, B, 再測定) gives it to the stage's
bar, and from there three Tabs reach 確定, as the program tells. Where the
pressed button stays, the focus stays on it. Run it inside its own D-Bus
session:

    dbus-run-session -- keyboard_focus.py TINTORA
"""
import os
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../support"))
from checks import check, exit_status, summary, walk  # noqa: E402
from screen import running_openbox, window_id, xdotool  # noqa: E402
from session import private_runtime  # noqa: E402
from xvfb import running_xvfb  # noqa: E402

# Each step: the keys pressed, then where the focus must stand.
STEPS = [
    (["Tab"], "ＳＴＡＲＴ"),
    (["space"], "赤"),
    (["Right", "Right", "Page_Down"], "赤"),
    (["Tab", "Tab"], "R"),
    (["space"], "赤"),
    (["Tab", "Tab", "Tab"], "確定"),
    (["space"], "G"),
    (["space"], "緑"),
    (["Left"], "緑"),
    (["Tab", "Tab", "Tab"], "確定"),
    (["Return"], "B"),
    (["Return"], "青"),
    (["Tab", "Tab"], "B"),
    (["Return"], "青"),
    (["End"], "青"),
    (["Tab", "Tab", "Tab"], "確定"),
    (["space"], "PUSH"),
    (["space"], "PUSH"),
    ("to 再測定", "再測定"),
    (["space"], "赤"),
    ("to ＥＮＤ", "ＥＮＤ"),
]


def focused(app):
    return next((a.name for a in walk(app) if a.getState().contains(pyatspi.STATE_FOCUSED)), None)


def settled_focus(app):
    """Where the focus stands once the window has handled the keys."""
    time.sleep(0.15)
    last = focused(app)
    for _ in range(20):
        time.sleep(0.05)
        now = focused(app)
        if now == last:
            return now
        last = now
    return last


def press(window, key):
    xdotool("key", "--window", window, key)


def main():
    tintora = os.path.abspath(sys.argv[1])
    os.environ["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    with running_xvfb("1024x768x24"), private_runtime(), running_openbox():
        desktop = pyatspi.Registry.getDesktop(0)
        program = subprocess.Popen([tintora])
        try:
            window = window_id(program)
            app = next((a for a in desktop if a is not None and a.name == "tintora"), None)
            for _ in range(100):
                if app is not None and focused(app) is not None:
                    break
                time.sleep(0.1)
                app = next((a for a in desktop if a is not None and a.name == "tintora"), None)
            check(app is not None and window is not None, "tintora's window is open and on the accessibility bus")
            if app is None or window is None:
                return 1
            check(settled_focus(app) == "ＥＮＤ", "at opening the focus is on ＥＮＤ")
            for keys, expected in STEPS:
                if isinstance(keys, str):
                    for _ in range(13):
                        if settled_focus(app) == expected:
                            break
                        press(window, "Tab")
                    keys = "Tab " + keys
                else:
                    for key in keys:
                        press(window, key)
                    keys = " ".join(keys)
                now = settled_focus(app)
                check(now == expected, f"{keys}: the focus is on {expected} ({now})")
            press(window, "space")
            status = exit_status(program)
            check(status == 0, f"Space on ＥＮＤ ends the program with status 0 ({status})")
        finally:
            if program.poll() is None:
                program.kill()
    return summary()


if __name__ == "__main__":
    sys.exit(main())
