"""A private Xvfb for the scripts that run the real program under X."""
import contextlib
import os
import subprocess


@contextlib.contextmanager
def running_xvfb(geometry="640x600x24"):
    """Starts Xvfb on a display that is free, points DISPLAY and Qt's platform
    at it once it answers, and ends it on leaving. With -displayfd the server
    picks the number and writes it when it accepts clients, so the caller
    always talks to its own server. -noreset keeps the server from resetting
    when its last client leaves, which would refuse the next program for a moment."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", geometry,
                             "-nolisten", "tcp", "-noreset"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=[write_end])
    os.close(write_end)
    try:
        with os.fdopen(read_end) as ready:
            number = ready.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        screen = f":{number}"
        os.environ.update(DISPLAY=screen, QT_QPA_PLATFORM="xcb")
        os.environ.pop("WAYLAND_DISPLAY", None)
        yield screen
    finally:
        xvfb.terminate()
        xvfb.wait()
