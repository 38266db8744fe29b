#!/usr/bin/python3
"""The real tintora as screen reader users meet it, over AT-SPI, on an X
display of its own, in a D-Bus session of its own:

    xvfb-run -a dbus-run-session -- screen_reader.py actions|orca TINTORA

actions: works it as a screen reader does, by the accessible objects alone.
Reads the shown controls and their names, presses buttons through their
accessible action, sets the bars through their accessible value, and checks
the texts of each step against the grading and score rules: one whole
measurement and a re-measure.

orca: a whole measurement by keyboard alone, heard through the desktop's
screen reader: Orca, speaking through speech-dispatcher and espeak-ng (into
a null audio device), with openbox. What Orca speaks is read from its debug
log. Orca starts first, as on a desktop with the screen reader on. Checked
in what it speaks: each stage's opening, each channel's result (confirmed
value, correct value, error and mark), the score, flat review of the
results, and that ＥＮＤ is never presented as focused because ＳＴＡＲＴ or a
確定 went away; ＥＮＤ then ends the program with status 0. After every step,
where the focus stands, read off the accessibility bus: a button that opens
a stage (ＳＴＡＲＴ, R, G, B, 再測定) gives it to the stage's bar, from which the
Tabs the sentence names reach 確定; when a pressed button goes away, the
focus goes to the next step's control, never to ＥＮＤ; where it stays, the
focus stays on it. Last, a program started before Orca must be found by it.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import tty

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../support"))
from checks import check, exit_status, grade, summary, walk  # noqa: E402
from screen import running_openbox, window_id, xdotool  # noqa: E402
from session import private_runtime  # noqa: E402

RESULT = re.compile(r"(赤|緑|青) 確定値 (\d+) 正解 (\d+) 誤差 (\d+) 判定 (◎|○|△)")
SCORE = re.compile(r"点数 (マイナス)?(\d+)")
END_FOCUSED = "ＥＮＤ push button"

# Orca as /usr/bin/orca starts it with --debug-file, less its look for other
# Orcas of the same user: it would refuse to start beside a screen reader
# the user runs, or, told to replace it, kill it and any other test's Orca.
ORCA = """
import sys
from orca import debug
debug.debugLevel = debug.LEVEL_ALL
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], "w")
from orca import orca
manager = orca.getSettingsManager()
manager.activate(None, {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
"""


class Orca:
    """Orca with its own settings, speech and log, started before the program.

    Orca writes its debug log through an ordinary file, whose output Python
    buffers; given a terminal, it writes every line at once. So the log goes
    to a pseudo-terminal that this script reads as Orca speaks."""

    def __init__(self, home):
        os.makedirs(home)
        config = os.path.join(home, ".config")
        shutil.copytree("/etc/speech-dispatcher", os.path.join(config, "speech-dispatcher"))
        with open(os.path.join(config, "speech-dispatcher", "speechd.conf"), "a") as conf:
            conf.write('AudioOutputMethod "libao"\nDefaultModule espeak-ng\n'
                       'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n')
        with open(os.path.join(home, ".libao"), "w") as libao:
            libao.write("default_driver=null\n")
        # Its own runtime folder too: the speech-dispatcher it starts listens there.
        self.runtime = os.path.join(home, "runtime")
        os.mkdir(self.runtime, 0o700)
        env = {**os.environ, "HOME": home, "XDG_CONFIG_HOME": config, "XDG_RUNTIME_DIR": self.runtime}
        self.master, self.terminal = os.openpty()
        tty.setraw(self.terminal)
        self.log = []
        threading.Thread(target=self._read_log, daemon=True).start()
        self.process = subprocess.Popen(["/usr/bin/python3", "-c", ORCA, os.ttyname(self.terminal)], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.heard = 0
        check(self.wait_for(lambda spoken: any("Screen reader on" in s for s in spoken), 30) is not None,
              "Orca is speaking")

    def _read_log(self):
        while True:
            try:
                data = os.read(self.master, 65536)
            except OSError:
                return
            if not data:
                return
            self.log.append(data)

    def spoken(self):
        text = b"".join(self.log).decode("utf-8", errors="replace")
        return re.findall(r"SPEECH OUTPUT: '(.*?)'", text)

    def wait_for(self, predicate, timeout=10):
        """What Orca spoke since the last call, once it satisfies the predicate
        and Orca has fallen silent; None if it never does."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            new = self.spoken()[self.heard:]
            if predicate(new):
                time.sleep(0.5)
                new = self.spoken()[self.heard:]
                self.heard += len(new)
                return new
            time.sleep(0.1)
        self.heard = len(self.spoken())
        return None

    def stop(self):
        self.process.terminate()
        if exit_status(self.process) is None:
            self.process.kill()
            self.process.wait()
        pid_file = os.path.join(self.runtime, "speech-dispatcher", "pid", "speech-dispatcher.pid")
        try:
            os.kill(int(open(pid_file).read()), signal.SIGTERM)
        except (OSError, ValueError):
            pass
        if os.environ.get("ORCA_LOG_COPY"):
            with open(os.environ["ORCA_LOG_COPY"], "ab") as copy:
                copy.write(b"".join(self.log))
        os.close(self.terminal)
        os.close(self.master)


class Keyboard:
    """The keys, what Orca speaks after each, and where the focus then
    stands, as the accessibility bus tells it."""

    def __init__(self, orca, window):
        self.orca = orca
        self.window = window
        self.app = next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "tintora"), None)

    def focused(self):
        return next((a.name for a in walk(self.app) if a.getState().contains(pyatspi.STATE_FOCUSED)), None)

    def focus_is(self, expected, step):
        """Checks where the focus stands once the window has handled the keys."""
        for _ in range(20):
            if (now := self.focused()) == expected:
                break
            time.sleep(0.05)
        check(now == expected, f"{step}: the focus is on {expected} ({now})")

    def press(self, key, until, timeout=10):
        xdotool("key", "--window", self.window, key)
        return self.orca.wait_for(lambda spoken: any(until(s) for s in spoken), timeout) or []

    def tab_to(self, start_of_speech):
        for _ in range(14):
            heard = self.press("Tab", lambda s: s and not s.startswith("tab"), 5)
            if any(s.startswith(start_of_speech) for s in heard):
                return True
        return False


def stage(keys, key, channel, step):
    """Opens a stage; returns how many Tabs its sentence says lead to 確定."""
    heard = keys.press(key, lambda s: f"{channel}の段階" in s)
    told = next((s for s in heard if f"{channel}の段階" in s), "")
    check("矢印キー" in told, f"{step}: Orca says the {channel} stage has opened and how to match it: {heard}")
    check(not any(s.startswith(END_FOCUSED) for s in heard), f"{step}: ＥＮＤ is not presented as focused")
    presses = re.search(r"Tab を(\d+)回", told)
    check(presses is not None, f"{step}: the sentence says how many Tabs lead to 確定: {told}")
    return int(presses.group(1)) if presses else 0


def follow_to_confirm(keys, presses, channel):
    """Does what the stage's sentence says, from where the focus stands."""
    heard = []
    for _ in range(presses):
        heard += keys.press("Tab", lambda s: s and not s.startswith("tab"), 5)
    check(bool(heard) and heard[-1].startswith("確定"),
          f"{channel}: {presses} Tabs from the bar, as told, reach 確定: {heard}")


def confirm(keys, key, channel, chosen):
    heard = keys.press(key, lambda s: RESULT.search(s) is not None)
    found = next((RESULT.search(s) for s in heard if RESULT.search(s)), None)
    check(found is not None, f"{channel} 確定: Orca speaks the result: {heard}")
    check(not any(s.startswith(END_FOCUSED) for s in heard), f"{channel} 確定: ＥＮＤ is not presented as focused")
    if found is None:
        return 0
    word, confirmed, correct, error, mark = found.groups()
    check(word == channel and int(confirmed) == chosen, f"{channel}: the confirmed value {confirmed} is {chosen}")
    check(int(error) == abs(chosen - int(correct)), f"{channel}: the error {error} is |{chosen} - {correct}|")
    check(mark == grade(int(error)), f"{channel}: the mark {mark} fits the error {error}")
    return int(error)


def measurement(orca, tintora):
    program = subprocess.Popen([tintora], stderr=subprocess.PIPE, text=True)
    try:
        window = window_id(program)
        check(window is not None, "the window opens")
        check(orca.wait_for(lambda spoken: any(s.startswith("ＥＮＤ") for s in spoken), 20) is not None,
              "Orca presents the window and the focus on ＥＮＤ")
        keys = Keyboard(orca, window)
        keys.focus_is("ＥＮＤ", "at opening")
        check(keys.tab_to("ＳＴＡＲＴ"), "Tab reaches ＳＴＡＲＴ")
        presses = stage(keys, "space", "赤", "ＳＴＡＲＴ")
        keys.focus_is("赤", "ＳＴＡＲＴ")
        for tabs, again in ((2, "R"), (0, None)):
            for key in ("Right", "Right", "Right"):
                keys.press(key, lambda s: s.startswith("15"))
            keys.focus_is("赤", "Right")
            if again:
                # The channel's button starts the stage afresh, the focus on its bar.
                for _ in range(tabs):
                    keys.press("Tab", lambda s: s and not s.startswith("tab"), 5)
                keys.focus_is(again, f"{tabs} Tabs from the bar")
                presses = stage(keys, "space", "赤", again)
                keys.focus_is("赤", again)
        follow_to_confirm(keys, presses, "赤")
        errors = [confirm(keys, "space", "赤", 153)]
        keys.focus_is("G", "赤 確定")
        # G and B give the focus to their bar: the keys move it at once.
        presses = stage(keys, "space", "緑", "G")
        heard = keys.press("Page_Down", lambda s: s.startswith("160"))
        check(any(s.startswith("160") for s in heard), f"G leaves the focus on the green bar: {heard}")
        keys.focus_is("緑", "Page_Down")
        follow_to_confirm(keys, presses, "緑")
        errors.append(confirm(keys, "Return", "緑", 160))
        keys.focus_is("B", "緑 確定")
        presses = stage(keys, "Return", "青", "B")
        for _ in range(2):
            keys.press("Tab", lambda s: s and not s.startswith("tab"), 5)
        keys.focus_is("B", "2 Tabs from the bar")
        presses = stage(keys, "Return", "青", "B again")
        heard = keys.press("End", lambda s: s.startswith("255"))
        check(any(s.startswith("255") for s in heard), f"B leaves the focus on the blue bar: {heard}")
        keys.focus_is("青", "End")
        follow_to_confirm(keys, presses, "青")
        errors.append(confirm(keys, "space", "青", 255))
        keys.focus_is("PUSH", "青 確定")
        for press in ("PUSH", "PUSH again"):
            heard = keys.press("space", lambda s: SCORE.search(s) is not None)
            found = next((SCORE.search(s) for s in heard if SCORE.search(s)), None)
            score = (-1 if found and found.group(1) else 1) * int(found.group(2)) if found else None
            check(score == 100 - sum(errors), f"{press}: Orca speaks the score {score}, 100 less the errors {errors}")
            keys.focus_is("PUSH", press)
        review = []
        for _ in range(6):
            review += keys.press("KP_Home", lambda s: bool(s), 3)
        for word in ("赤", "緑", "青"):
            check(any(f"{word}の正解" in s for s in review), f"flat review reads the {word} row with what it holds")
        print("     flat review:", review)
        check(keys.tab_to("再測定"), "Tab reaches 再測定")
        stage(keys, "space", "赤", "再測定")
        keys.focus_is("赤", "再測定")
        check(keys.tab_to("ＥＮＤ"), "Tab reaches ＥＮＤ")
        xdotool("key", "--window", window, "space")
        status = exit_status(program)
        check(status == 0, f"Space on ＥＮＤ ends the program with status 0 ({status})")
        if status:
            print("the program's standard error:\n" + program.stderr.read())
    finally:
        if program.poll() is None:
            program.kill()


def found_when_started_later(tintora, home):
    """The program runs before the screen reader does."""
    program = subprocess.Popen([tintora], stderr=subprocess.DEVNULL)
    orca = None
    try:
        window = window_id(program)
        time.sleep(1)
        orca = Orca(home)
        keys = Keyboard(orca, window)
        heard = keys.press("Tab", lambda s: s.startswith("ＳＴＡＲＴ"), 10)
        check(any(s.startswith("ＳＴＡＲＴ") for s in heard),
              f"Orca started after the program presents its focus: {heard}")
    finally:
        if orca:
            orca.stop()
        program.kill()


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


def by_actions(tintora):
    os.environ["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    with private_runtime():
        desktop = pyatspi.Registry.getDesktop(0)  # starts the registry before the program registers
        program = subprocess.Popen([tintora])
        try:
            app = wait_for(lambda: next((a for a in desktop if a is not None and a.name == "tintora"), None), 30)
            check(app is not None, "tintora is on the accessibility bus")
            if app is None:
                return
            window = Window(app)
            work_through(window)
            window.press("ＥＮＤ")
            status = exit_status(program)
            check(status == 0, f"ＥＮＤ pressed through its action ends the program with status 0 ({status})")
        finally:
            if program.poll() is None:
                program.kill()


def out_of_time(_signal, _frame):
    raise TimeoutError("the Orca test ran out of its time")


def heard(tintora):
    # Whatever happens, the screen reader, the program and the servers are
    # ended on the way out: a time-out too ends the test through them.
    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(200)
    os.environ.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
    with tempfile.TemporaryDirectory() as scratch:
        with private_runtime(), running_openbox():
            orca = Orca(os.path.join(scratch, "first"))
            try:
                measurement(orca, tintora)
            finally:
                orca.stop()
            found_when_started_later(tintora, os.path.join(scratch, "later"))


def main():
    mode, tintora = sys.argv[1], os.path.abspath(sys.argv[2])
    {"actions": by_actions, "orca": heard}[mode](tintora)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
