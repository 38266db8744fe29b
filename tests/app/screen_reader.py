#!/usr/bin/python3
"""The real tintora as screen reader users meet it, on an X display of its
own, in a D-Bus session of its own:

    xvfb-run -a dbus-run-session -- screen_reader.py TINTORA

A whole measurement by keyboard alone, heard through the desktop's screen
reader: Orca, speaking through speech-dispatcher and espeak-ng (into a null
audio device), with openbox. What Orca speaks is read from its debug log.
Orca starts first, as on a desktop with the screen reader on. Checked in
what it speaks: each stage's opening, each channel's result (confirmed
value, correct value, error and mark), the score, flat review of the
results, and that ＥＮＤ is never presented as focused because ＳＴＡＲＴ or a
確定 went away; ＥＮＤ then ends the program with status 0. After every step,
where the focus stands, read off the accessibility bus: a button that opens
a stage (ＳＴＡＲＴ, R, G, B, 再測定) gives it to the stage's bar, from which the
Tabs the sentence names reach 確定; when a pressed button goes away, the
focus goes to the next step's control, never to ＥＮＤ; where it stays, the
focus stays on it. Read off the bus too, as a screen reader's own review
reads it: what shows at opening, the tooltips as descriptions, each result
row's labels against what was heard, the score, and a bar that takes a
value set through its accessible value. Last, a program started before
Orca must be found by it.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../support"))
from checks import check, ends_with_status_0, exit_status, grade, summary, walk  # noqa: E402
from screen import running_openbox, start, xdotool  # noqa: E402
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
debug.debugFile = open(sys.argv[1], "w", buffering=1)
from orca import orca
manager = orca.getSettingsManager()
manager.activate(None, {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
"""


class Orca:
    """Orca with its own settings, speech and log, started before the
    program. Its log is line-buffered, so that this script reads each line
    as Orca speaks it."""

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
        self.log = os.path.join(home, "orca.log")
        self.process = subprocess.Popen(["/usr/bin/python3", "-c", ORCA, self.log], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.heard = 0
        check(self.wait_for(lambda spoken: any("Screen reader on" in s for s in spoken), 30) is not None,
              "Orca is speaking")

    def spoken(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as log:
                return re.findall(r"SPEECH OUTPUT: '(.*?)'", log.read())
        except FileNotFoundError:
            return []

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
            with open(self.log, "rb") as log, open(os.environ["ORCA_LOG_COPY"], "ab") as copy:
                copy.write(log.read())


class Keyboard:
    """The keys, what Orca speaks after each, and what the accessibility bus
    tells: where the focus stands, and the objects shown."""

    def __init__(self, orca, window):
        self.orca = orca
        self.window = window
        self.app = next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "tintora"), None)
        check(self.app is not None, "tintora is on the accessibility bus")

    def focused(self):
        return next((a.name for a in walk(self.app) if a.getState().contains(pyatspi.STATE_FOCUSED)), None)

    def shown(self):
        return [a for a in walk(self.app) if a.getState().contains(pyatspi.STATE_SHOWING)]

    def find(self, role, name=None, description=None):
        return next((a for a in self.shown() if a.getRoleName() == role and name in (None, a.name)
                     and description in (None, a.description)), None)

    def text(self, description):
        """What a label holds: it reads as its role, then what it holds."""
        label = self.find("label", description=description)
        return label.name.removeprefix(description + " ") if label else None

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
    row = [keys.text(f"{channel}の{role}") for role in ("確定値", "正解", "誤差", "判定")]
    check(row == [confirmed, correct, error, mark], f"{channel}: the row's labels read what was heard: {row}")
    return int(error)


def measurement(orca, tintora):
    program, window = start([tintora])
    try:
        check(orca.wait_for(lambda spoken: any(s.startswith("ＥＮＤ") for s in spoken), 20) is not None,
              "Orca presents the window and the focus on ＥＮＤ")
        keys = Keyboard(orca, window)
        keys.focus_is("ＥＮＤ", "at opening")
        shown = {(a.getRoleName(), a.name) for a in keys.shown()}
        for role, name, what in [("push button", "ＳＴＡＲＴ", "ＳＴＡＲＴ"), ("label", "Tintora", "the title"),
                                 ("label", "STARTボタンを押すと開始します。", "the start hint, without its arrow"),
                                 ("filler", "Ａ", "patch Ａ"), ("filler", "Ｂ", "patch Ｂ")]:
            check((role, name) in shown, f"at opening {what} is read as a {role} {name}")
        check(not any(role == "scroll bar" for role, _ in shown), "no bar is shown before ＳＴＡＲＴ")
        check(keys.find("push button", "ＥＮＤ", "終了") is not None, "ＥＮＤ is described by its tooltip")
        check(keys.tab_to("ＳＴＡＲＴ"), "Tab reaches ＳＴＡＲＴ")
        presses = stage(keys, "space", "赤", "ＳＴＡＲＴ")
        keys.focus_is("赤", "ＳＴＡＲＴ")
        check(keys.find("push button", "R", "G､Bが同じ") is not None, "R is described by its tooltip")
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
            check(keys.text("点数") == str(score), f"{press}: the score label reads {keys.text('点数')}")
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
        check(keys.find("label", description="点数") is None, "再測定 hides the score")
        # A value set through the bar's accessible value, as a screen reader's own controls set it.
        value = keys.find("scroll bar", "赤").queryValue()
        check((value.minimumValue, value.maximumValue, keys.text("赤の値")) == (0, 255, "150"),
              "the red bar ranges over 0 to 255 and stands at 150 again")
        value.currentValue = 42.0
        heard = orca.wait_for(lambda spoken: any(s.startswith("42") for s in spoken), 5)
        check(heard is not None and keys.text("赤の値") == "42", f"set to 42 over the bus, the bar says so: {heard}")
        check(keys.tab_to("ＥＮＤ"), "Tab reaches ＥＮＤ")
        xdotool("key", "--window", window, "space")
        errors = ends_with_status_0(program, "Space on ＥＮＤ")
        if errors:
            print("the program's standard error:\n" + errors)
    finally:
        if program.poll() is None:
            program.kill()


def found_when_started_later(tintora, home):
    """The program runs before the screen reader does."""
    program, window = start([tintora])
    orca = None
    try:
        time.sleep(0.6)
        orca = Orca(home)
        keys = Keyboard(orca, window)
        heard = keys.press("Tab", lambda s: s.startswith("ＳＴＡＲＴ"), 10)
        check(any(s.startswith("ＳＴＡＲＴ") for s in heard),
              f"Orca started after the program presents its focus: {heard}")
    finally:
        if orca:
            orca.stop()
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
    heard(os.path.abspath(sys.argv[1]))
    return summary()


if __name__ == "__main__":
    sys.exit(main())
