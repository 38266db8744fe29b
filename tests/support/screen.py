#!/usr/bin/python3
"""The real program on a desktop, for the scripts that test it from outside:
a window manager on the private Xvfb, the program's window, clicks and keys
as a user gives them, and what the screen shows.

Run as a script, it checks that a program opens its window and ends with
status 0 when ＥＮＤ is clicked:

    xvfb-run -a screen.py opens-and-ends COMMAND...
"""
import contextlib
import os
import subprocess
import sys
import tempfile
import time

from PIL import Image
from Xlib import X, display, protocol

from checks import ends_with_status_0, summary, until


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)


def start(command, env=None, window=True):
    """The program started, its standard error a pipe, and its X window once
    shown and settled (None where it has none to wait for)."""
    process = subprocess.Popen(command, env={**os.environ, **(env or {})}, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, text=True)
    if not window:
        return process, None
    window = window_id(process)
    if window is None:
        process.kill()
        raise RuntimeError(f"{' '.join(command)}: the window did not open: {process.communicate()[1]}")
    time.sleep(0.4)
    return process, window


def window_id(process, timeout=20):
    """The shown window "Form1" of a started program, or None once it has ended or the time is up."""
    found = until(lambda: xdotool("search", "--onlyvisible", "--name", "^Form1$").stdout.split()
                  or process.poll() is not None, timeout)
    return int(found[0]) if isinstance(found, list) else None


@contextlib.contextmanager
def running_openbox():
    """Starts openbox, Debian's plain window manager, on the current DISPLAY and
    waits until it manages the screen."""
    home = tempfile.mkdtemp(prefix="tintora-openbox-")
    wm = subprocess.Popen(["openbox", "--sm-disable"], env={**os.environ, "HOME": home},
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    x = display.Display()
    check = x.intern_atom("_NET_SUPPORTING_WM_CHECK")
    try:
        if not until(lambda: x.screen().root.get_full_property(check, X.AnyPropertyType)):
            raise RuntimeError("openbox did not start")
        yield wm
    finally:
        x.close()
        wm.terminate()
        wm.wait()
        subprocess.run(["rm", "-rf", home])


class Screen:
    """The X screen as the user sees it, and the window manager's messages."""

    def __init__(self):
        self.x = display.Display()
        self.root = self.x.screen().root

    def close(self):
        self.x.close()

    def client_origin(self, window):
        """Where the window's client area begins on the screen."""
        place = self.root.translate_coords(self.x.create_resource_object("window", window), 0, 0)
        return place.x, place.y

    def client_size(self, window):
        geometry = self.x.create_resource_object("window", window).get_geometry()
        return geometry.width, geometry.height

    def grab(self, window, box=None):
        """The client area, or a box (x, y, w, h) of it, as an RGB image."""
        left, top = self.client_origin(window)
        x, y, w, h = box or (0, 0, *self.client_size(window))
        raw = self.root.get_image(left + x, top + y, w, h, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (w, h), raw.data, "raw", "BGRX")

    def ask_window_manager(self, window, message, *data):
        """An EWMH request, as a task bar or a frame's buttons send it."""
        target = self.x.create_resource_object("window", window)
        words = [*data, 0, 0, 0, 0, 0][:5]
        event = protocol.event.ClientMessage(window=target, client_type=self.x.intern_atom(message), data=(32, words))
        self.root.send_event(event, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
        self.x.sync()

    def maximise(self, window):
        self.ask_window_manager(window, "_NET_WM_STATE", 1, self.x.intern_atom("_NET_WM_STATE_MAXIMIZED_VERT"),
                                self.x.intern_atom("_NET_WM_STATE_MAXIMIZED_HORZ"))

    def close_box(self, window):
        """What the frame's close box does: the window manager asks the window to close."""
        self.ask_window_manager(window, "_NET_CLOSE_WINDOW", X.CurrentTime, 2)


def click(window, x, y, pause=0.15):
    xdotool("mousemove", "--window", window, x, y, "click", "1")
    time.sleep(pause)


def luminance(colour):
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in colour[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    """The contrast ratio of two colours, 1 (none) to 21 (black on white)."""
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def ink_against_background(image):
    """The background of a caption's box (its commonest colour), and how many
    of its pixels stand out from it at a contrast of 3 or more."""
    colours = image.getcolors(image.width * image.height)
    background = max(colours)[1]
    return background, sum(count for count, colour in colours if contrast(colour, background) >= 3)


def opens_and_ends(command):
    """Starts the command, waits for its window, clicks ＥＮＤ and requires status 0."""
    from tables import ROLES, centre
    program, window = start(command)
    click(window, *centre(ROLES["end"]))
    errors = ends_with_status_0(program, f"{' '.join(command)} opened its window and ＥＮＤ")
    print(errors, end="", file=sys.stderr)
    return summary()


if __name__ == "__main__":
    if sys.argv[1:2] != ["opens-and-ends"] or len(sys.argv) < 3:
        raise SystemExit(__doc__)
    sys.exit(opens_and_ends(sys.argv[2:]))
