#!/usr/bin/python3
"""Works the real tintora as a screen reader does, through AT-SPI.

Reads the shown controls and their names, presses buttons through their
accessible action, sets the bars through their accessible value, and checks
the texts of each step against the grading and score rules: one whole
measurement and a re-measure. Run it on an X display of its own, inside its
own D-Bus session:

    xvfb-run -a dbus-run-session -- screen_reader.py TINTORA
"""
import os
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../support"))
from checks import check, exit_status, grade, summary, walk  # noqa: E402
from session import private_runtime  # noqa: E402


def wait_for(predicate, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(0.05)
    return predicate()


class Window:
    def __init__(self, app):
        self.app = app

    def shown(self):
        return [a for a in walk(self.app) if a.getState().contains(pyatspi.STATE_SHOWING)]

    def find(self, role, name=None, description=None):
        for a in self.shown():
            if a.getRoleName() == role and (name is None or a.name == name) \
                    and (description is None or a.description == description):
                return a
        return None

    def press(self, name):
        button = wait_for(lambda: self.find("push button", name))
        check(button is not None, f"a button named {name!r} is shown")
        action = button.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        action.doAction(names.index("Press"))

    def text(self, description):
        """The number a label holds: it reads as its role, then the number."""
        label = wait_for(lambda: self.find("label", description=description))
        if label is None:
            return None
        role, _, number = label.name.rpartition(" ")
        return number if role == description else label.name

    def set_bar(self, name, value):
        bar = wait_for(lambda: self.find("scroll bar", name))
        check(bar is not None, f"the bar {name!r} is shown")
        v = bar.queryValue()
        check((v.minimumValue, v.maximumValue) == (0, 255), f"{name} ranges over 0 to 255")
        v.currentValue = float(value)


def confirm_channel(window, bar, colour, chosen):
    window.set_bar(bar, chosen)
    check(wait_for(lambda: window.text(f"{colour}の値") == str(chosen)), f"{colour} value label reads {chosen}")
    window.press("確定")
    confirmed = wait_for(lambda: window.text(f"{colour}の確定値"))
    correct = window.text(f"{colour}の正解")
    error = window.text(f"{colour}の誤差")
    mark = window.text(f"{colour}の判定")
    print(f"     {colour}: confirmed {confirmed}, correct {correct}, error {error}, mark {mark}")
    check(confirmed == str(chosen), f"{colour} confirmed value is {chosen}")
    check(correct is not None and correct.isdigit() and 0 <= int(correct) <= 255, f"{colour} correct value is 0 to 255")
    expected = abs(chosen - int(correct)) if correct and correct.isdigit() else None
    check(error == str(expected), f"{colour} error is |{chosen} - correct|")
    check(expected is not None and mark == grade(expected), f"{colour} mark {mark} fits error {error}")
    return expected or 0


def work_through(window):
    """ＳＴＡＲＴ, the three channels, the score and 再測定, as a screen reader user would."""
    wait_for(lambda: window.find("push button", "ＥＮＤ"))

    shown = sorted((a.getRoleName(), a.name) for a in window.shown() if a.getRoleName() != "filler" or a.name)
    print("     shown at opening:", shown)
    check(("push button", "ＳＴＡＲＴ") in shown and ("push button", "ＥＮＤ") in shown, "ＳＴＡＲＴ and ＥＮＤ are shown")
    check(("label", "Tintora") in shown and ("label", "STARTボタンを押すと開始します。") in shown,
          "the title and the start hint are read, the hint without its arrow")
    check(("filler", "Ａ") in shown and ("filler", "Ｂ") in shown, "the patches are named Ａ and Ｂ")
    check(not any(role == "scroll bar" for role, _ in shown), "no bar is shown before ＳＴＡＲＴ")
    check(window.find("push button", "ＥＮＤ").description == "終了", "ＥＮＤ is described by its tooltip")

    window.press("ＳＴＡＲＴ")
    check(wait_for(lambda: window.find("scroll bar", "赤")) is not None, "ＳＴＡＲＴ shows the red bar")
    check(window.find("push button", "R").description == "G､Bが同じ", "R is described by its tooltip")
    errors = [confirm_channel(window, "赤", "赤", 100)]
    window.press("G")
    errors.append(confirm_channel(window, "緑", "緑", 37))
    window.press("B")
    errors.append(confirm_channel(window, "青", "青", 222))
    window.press("PUSH")
    score = wait_for(lambda: window.text("点数"))
    check(score == str(100 - sum(errors)), f"the score {score} is 100 less the errors {errors}")

    window.press("再測定")
    check(wait_for(lambda: window.find("scroll bar", "赤")) is not None, "再測定 opens the red stage")
    check(window.text("赤の値") == "150", "the red value label reads 150 again")
    check(window.find("label", description="点数") is None, "the score is hidden again")


def main():
    tintora = os.path.abspath(sys.argv[1])
    os.environ["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    with private_runtime():
        desktop = pyatspi.Registry.getDesktop(0)  # starts the registry before the program registers
        program = subprocess.Popen([tintora])
        try:
            app = wait_for(lambda: next((a for a in desktop if a is not None and a.name == "tintora"), None), 30)
            check(app is not None, "tintora is on the accessibility bus")
            if app is None:
                return 1
            window = Window(app)
            work_through(window)
            window.press("ＥＮＤ")
            status = exit_status(program)
            check(status == 0, f"ＥＮＤ pressed through its action ends the program with status 0 ({status})")
        finally:
            if program.poll() is None:
                program.kill()
    return summary()


if __name__ == "__main__":
    sys.exit(main())
