"""A private Xvfb for the scripts that run the real program under X."""
import contextlib
import os
import random
import subprocess
import time


@contextlib.contextmanager
def running_xvfb(geometry="640x600x24"):
    """Starts Xvfb, points DISPLAY and Qt's platform at it, waits until it
    answers, and ends it on leaving. -noreset keeps the server from resetting
    when its last client leaves, which would refuse the next program for a moment."""
    screen = f":{100 + random.randrange(800)}"
    xvfb = subprocess.Popen(["Xvfb", screen, "-screen", "0", geometry, "-nolisten", "tcp", "-noreset"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.environ.update(DISPLAY=screen, QT_QPA_PLATFORM="xcb")
    os.environ.pop("WAYLAND_DISPLAY", None)
    try:
        for _ in range(200):
            if xvfb.poll() is None and subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0:
                break
            time.sleep(0.05)
        else:
            raise RuntimeError(f"Xvfb did not start on {screen}")
        yield screen
    finally:
        xvfb.terminate()
        xvfb.wait()
