#!/usr/bin/python3
"""The real tintora as screen reader users meet it, in a D-Bus session of
its own:

    xvfb-run -a dbus-run-session -- screen_reader.py TINTORA

A whole measurement by keyboard alone, heard through Orca (speaking through
speech-dispatcher and espeak-ng into a null audio device, its words read
from its debug log), with openbox: each stage's opening and how many Tabs
lead to 確定, each result, the score, flat review, and ＥＮＤ never presented
as focused because a pressed button went away. After every step, where the
focus stands, read off the accessibility bus, as is what shows, the
tooltips as descriptions, each result row's labels and a bar set through
its accessible value. A program started before Orca must be found by it.
Last, the program native on Wayland (a headless weston of its own): it
opens in its opening state, and ＥＮＤ pressed through its accessible action
ends it with status 0.
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
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../support"))
from checks import check, ends_with_status_0, exit_status, grade, summary, until, walk  # noqa: E402
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


def on_the_bus():
    app = next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "tintora"), None)
    check(app is not None, "tintora is on the accessibility bus")
    return app


class Keyboard:
    """The keys, what Orca speaks after each, and what the accessibility bus
    tells: where the focus stands, and the objects shown."""

    def __init__(self, orca, window):
        self.orca = orca
        self.window = window
        self.app = on_the_bus()

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
        until(lambda: self.focused() == expected, 1)
        check((now := self.focused()) == expected, f"{step}: the focus is on {expected} ({now})")

    def press(self, key, heard, timeout=10):
        """The key, and what Orca speaks after it, once a line is as heard() wants."""
        xdotool("key", "--window", self.window, key)
        return self.orca.wait_for(lambda spoken: any(heard(s) for s in spoken), timeout) or []

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


# The opening state on Wayland, by the colours only it shows and how many
# pixels of each at least: the title's face, ＳＴＡＲＴ's face, the start hint.
OPENING = {"title face": ((0xFF, 0xC0, 0x80), 10000), "ＳＴＡＲＴ face": ((0x80, 0xFF, 0xFF), 2500),
           "start hint": ((0x00, 0x00, 0xFF), 150)}


def screenshot(folder, env):
    """What weston shows, with the count of each colour."""
    for old in os.listdir(folder):
        if old.endswith(".png"):
            os.remove(os.path.join(folder, old))
    subprocess.run(["weston-screenshooter"], cwd=folder, env=env, capture_output=True, timeout=10)
    shots = [name for name in os.listdir(folder) if name.endswith(".png")]
    image = Image.open(os.path.join(folder, shots[0])).convert("RGB") if shots else None
    return {colour: n for n, colour in image.getcolors(image.width * image.height)} if image else {}


def on_wayland(tintora, runtime):
    socket = f"tintora-{os.getpid()}"
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
    env.update(XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY=socket)
    weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--use-pixman", "--width=800", "--height=700",
                               f"--socket={socket}", "--idle-time=0", "--debug"],
                              env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    program = None
    try:
        check(until(lambda: os.path.exists(os.path.join(runtime, socket))), f"weston listens on {socket}")
        # Under the sanitizers: Mesa's EGL, which Qt's Wayland plugin starts,
        # leaves an allocation to the end of the process from a driver it
        # unloads before the leak check, so that only the whole stack, not
        # the fast one, names the library (tests/lsan.supp).
        if "ASAN_OPTIONS" in env:
            env["ASAN_OPTIONS"] += ":fast_unwind_on_malloc=0"
        program, _ = start([tintora], {**env, "QT_QPA_PLATFORM": "wayland", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"},
                           window=False)
        shots = []

        def opened():
            shots.append(screenshot(runtime, env))
            return all(shots[-1].get(colour, 0) >= least for colour, least in OPENING.values())
        until(opened, 10, 0.2)
        for name, (colour, least) in OPENING.items():
            found = shots[-1].get(colour, 0)
            check(found >= least, f"on Wayland the window shows the {name} ({found} pixels)")
        app = on_the_bus()
        end = next(iter(pyatspi.findAllDescendants(app, lambda a: a.name == "ＥＮＤ")), None) if app else None
        if end is not None:
            action = end.queryAction()
            action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))
        errors = ends_with_status_0(program, "on Wayland, ＥＮＤ pressed through its accessible action,")
        check("wayland" not in errors.lower(), f"the Wayland platform raised no complaint: {errors}")
    finally:
        if program is not None and program.poll() is None:
            program.kill()
        weston.terminate()
        weston.wait()


def out_of_time(_signal, _frame):
    raise TimeoutError("the Orca test ran out of its time")


def heard(tintora):
    # Whatever happens, the screen reader, the program and the servers are
    # ended on the way out: a time-out too ends the test through them.
    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(200)
    os.environ.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
    with tempfile.TemporaryDirectory() as scratch:
        with private_runtime() as runtime:
            with running_openbox():
                orca = Orca(os.path.join(scratch, "first"))
                try:
                    measurement(orca, tintora)
                finally:
                    orca.stop()
                found_when_started_later(tintora, os.path.join(scratch, "later"))
            on_wayland(tintora, runtime)


def main():
    heard(os.path.abspath(sys.argv[1]))
    return summary()


if __name__ == "__main__":
    sys.exit(main())
