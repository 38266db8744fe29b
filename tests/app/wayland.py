#!/usr/bin/python3
"""The real tintora native on Wayland: Debian's weston, headless with the pixman
renderer, in a private runtime folder. The window must open there in its
opening state (seen through weston's screenshooter) and ＥＮＤ, pressed
through its accessible action, must end the program with status 0. Run it
inside its own D-Bus session:

    dbus-run-session -- wayland.py TINTORA
"""
import glob
import os
import subprocess
import sys
import time

import pyatspi
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../support"))
from checks import check, exit_status, summary  # noqa: E402
from session import private_runtime  # noqa: E402


def screenshot(folder, env):
    for old in glob.glob(os.path.join(folder, "*.png")):
        os.remove(old)
    subprocess.run(["weston-screenshooter"], cwd=folder, env=env, capture_output=True, timeout=10)
    shots = glob.glob(os.path.join(folder, "*.png"))
    return Image.open(shots[0]).convert("RGB") if shots else None


def count(image, colour):
    return sum(n for n, c in image.getcolors(image.width * image.height) if c == colour)


# The opening state, by the colours only it shows: the title's face, the
# ＳＴＡＲＴ button's face, and the start hint's blue text.
OPENING = {"title face #FFC080": ((0xFF, 0xC0, 0x80), 10000), "ＳＴＡＲＴ face #80FFFF": ((0x80, 0xFF, 0xFF), 2500),
           "start hint #0000FF": ((0x00, 0x00, 0xFF), 150)}


def main():
    tintora = os.path.abspath(sys.argv[1])
    os.environ.pop("DISPLAY", None)
    with private_runtime() as runtime:
        socket = f"tintora-{os.getpid()}"
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
        env.update(XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY=socket)
        weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--use-pixman", "--width=800",
                                   "--height=700", f"--socket={socket}", "--idle-time=0", "--debug"],
                                  env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        program = None
        try:
            for _ in range(100):
                if os.path.exists(os.path.join(runtime, socket)):
                    break
                time.sleep(0.1)
            check(os.path.exists(os.path.join(runtime, socket)), f"weston listens on {socket}")
            desktop = pyatspi.Registry.getDesktop(0)
            program_env = {**env, "QT_QPA_PLATFORM": "wayland", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
            # Under the sanitizers: Mesa's EGL, which Qt's Wayland plugin
            # starts, leaves an allocation to the end of the process from a
            # driver it unloads before the leak check, so that only the whole
            # stack, not the fast one, names the library (tests/lsan.supp).
            if "ASAN_OPTIONS" in program_env:
                program_env["ASAN_OPTIONS"] += ":fast_unwind_on_malloc=0"
            program = subprocess.Popen([tintora], env=program_env, stderr=subprocess.PIPE, text=True)
            shot = None
            for _ in range(50):
                shot = screenshot(runtime, env)
                if shot and all(count(shot, colour) >= least for colour, least in OPENING.values()):
                    break
                time.sleep(0.2)
            for name, (colour, least) in OPENING.items():
                found = count(shot, colour) if shot else 0
                check(found >= least, f"on Wayland the window shows the {name} ({found} pixels)")
            app = next((a for a in desktop if a is not None and a.name == "tintora"), None)
            end = next((a for a in pyatspi.findAllDescendants(app, lambda a: a.name == "ＥＮＤ")), None) if app else None
            check(end is not None, "ＥＮＤ is on the accessibility bus")
            if end is not None:
                action = end.queryAction()
                action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))
            status = exit_status(program)
            errors = program.stderr.read() if status is not None else ""
            check(status == 0, f"ＥＮＤ ends the program with status 0 ({status})")
            check("wayland" not in errors.lower(), "the Wayland platform raised no complaint")
            if errors:
                print("the program's standard error:\n" + errors)
        finally:
            if program is not None and program.poll() is None:
                program.kill()
            weston.terminate()
            weston.wait()
    return summary()


if __name__ == "__main__":
    sys.exit(main())
