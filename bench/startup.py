#!/usr/bin/python3
"""Start-up of tintora against its floor, the least Qt program that shows the
same opening screen (bench/baseline_window.cpp), both in the same private
desktop session: Xvfb with no window manager, a session bus and the
accessibility bus, no screen reader.

  startup.py count PROBE BASELINE [--max RATIO]
      Instructions from process start to the first frame, counted by
      callgrind in the start-up probe and in the baseline. The count is the
      same from run to run, so it can guard start-up: with --max the exit
      status is 1 when the ratio passes RATIO.

  startup.py time PROBE BASELINE PROGRAM [RUNS]
      RUNS interleaved runs of each (11 if not given), two ways, medians:
      inside:  the probe and the baseline report their first frame and their
               peak resident memory themselves;
      outside: the real program and the baseline as a user starts them, timed
               until the title's orange is on the X server's screen, their
               peak resident memory read from /proc at that moment.

Each figure is printed as "name tintora baseline ratio". Run it on an X
display of its own with no window manager: xvfb-run -a startup.py ...
"""
import contextlib
import os
import re
import select
import statistics
import subprocess
import sys
import tempfile
import time


# The title's face, and a point of it that no letter covers, in window pixels.
TITLE_ORANGE = (0xFF, 0xC0, 0x80)
TITLE_POINT = (110, 12)
WINDOW_SIZE = (629, 588)


@contextlib.contextmanager
def desktop_session():
    """The environment of every run, the same whatever the caller's desktop:
    a private X server and session bus, with the accessibility bus running
    as a desktop starts it, and no screen reader; no theme and no locale of
    the user's."""
    with tempfile.TemporaryDirectory(prefix="tintora-startup-") as runtime:
        os.chmod(runtime, 0o700)
        environment = {"PATH": "/usr/bin:/bin", "HOME": runtime, "XDG_RUNTIME_DIR": runtime, "LANG": "C.UTF-8",
                       "DISPLAY": os.environ["DISPLAY"], "XAUTHORITY": os.environ.get("XAUTHORITY", ""),
                       "QT_QPA_PLATFORM": "xcb"}
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"], env=environment,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        try:
            environment["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
            subprocess.run(["dbus-update-activation-environment", f"DISPLAY={environment['DISPLAY']}",
                            f"XDG_RUNTIME_DIR={runtime}"], env=environment, check=True)
            subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                            "org.a11y.Bus.GetAddress"], env=environment, check=True, stdout=subprocess.DEVNULL)
            yield environment
        finally:
            bus.terminate()
            bus.wait()


def reported_first_frame(argv, environment, wrapper=()):
    """Runs a program that reports its first frame and ends; its report's fields."""
    started = time.monotonic_ns()
    process = subprocess.run([*wrapper, *argv], env=environment, capture_output=True, text=True, timeout=120)
    fields = process.stdout.split()
    if process.returncode != 0 or len(fields) != 3 or fields[0] != "first-frame":
        raise RuntimeError(f"{argv[0]} said {process.stdout!r}, status {process.returncode}\n{process.stderr}")
    return (int(fields[1]) - started) / 1e6, int(fields[2]) / 1024


def instructions(argv, environment):
    """Instructions from process start to the first frame, all threads."""
    with tempfile.NamedTemporaryFile(prefix="callgrind.") as out:
        reported_first_frame(argv, environment, ("valgrind", "--tool=callgrind", f"--callgrind-out-file={out.name}"))
        summary = re.search(rb"^summary: (\d+)$", out.read(), re.MULTILINE)
        if summary is None:
            raise RuntimeError(f"callgrind gave no count for {argv[0]}")
        return int(summary.group(1))


class Screen:
    """The X server's screen, read as the user sees it. It is told when a
    window is mapped, so that it reads pixels only between a window's mapping
    and its first frame, and does not take the processor from the program
    while it starts."""

    def __init__(self):
        from Xlib import X, display
        self.X = X
        self.display = display.Display()
        self.root = self.display.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.display.sync()

    def mapped_window(self, deadline):
        """Where the next window of the program's size to be mapped stands."""
        from Xlib.error import XError
        while time.monotonic_ns() < deadline:
            while self.display.pending_events():
                event = self.display.next_event()
                if event.type != self.X.MapNotify:
                    continue
                try:
                    geometry = event.window.get_geometry()
                except XError:
                    continue  # a window that went as soon as it came
                if (geometry.width, geometry.height) == WINDOW_SIZE:
                    return geometry.x, geometry.y
            select.select([self.display], [], [], 0.05)
        raise RuntimeError("no window was mapped within 30 s")

    def pixel(self, x, y):
        data = self.root.get_image(x, y, 1, 1, self.X.ZPixmap, 0xFFFFFFFF).data
        return data[2], data[1], data[0]


def peak_resident_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    raise RuntimeError("no VmHWM")


def seen_from_outside(argv, environment, screen):
    """Time from process start until the title's orange is on the screen, and
    the peak resident memory at that moment."""
    started = time.monotonic_ns()
    deadline = started + 30 * 10**9
    process = subprocess.Popen(argv, env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        x, y = screen.mapped_window(deadline)
        while screen.pixel(x + TITLE_POINT[0], y + TITLE_POINT[1]) != TITLE_ORANGE:
            if process.poll() is not None or time.monotonic_ns() > deadline:
                raise RuntimeError(f"{argv[0]} showed no title (status {process.returncode})")
            time.sleep(0.0001)
        seen = time.monotonic_ns()
        return (seen - started) / 1e6, peak_resident_mib(process.pid)
    finally:
        process.terminate()
        process.wait()


def figure(name, tintora, baseline, digits=1):
    print(f"{name} {tintora:.{digits}f} {baseline:.{digits}f} {tintora / baseline:.3f}")


def warmed_up(probe, baseline, environment):
    """The two programs as they report their first frame, each run once
    untimed, so that font caches are written before either is measured."""
    reporting = ([probe], [baseline, "--first-frame"])
    for argv in reporting:
        reported_first_frame(argv, environment)
    return reporting


def count(probe, baseline, limit):
    with desktop_session() as environment:
        ours, floor = (instructions(argv, environment) for argv in warmed_up(probe, baseline, environment))
    figure("instructions", ours, floor, 0)
    if limit is not None and ours / floor > limit:
        print(f"start-up takes {ours / floor:.3f} times the floor's instructions, more than {limit}")
        return 1
    return 0


def timed(probe, baseline, program, runs):
    inside = {"tintora": [], "baseline": []}
    outside = {"tintora": [], "baseline": []}
    with desktop_session() as environment:
        screen = Screen()
        reporting_probe, reporting_floor = warmed_up(probe, baseline, environment)
        for _ in range(runs):
            inside["tintora"].append(reported_first_frame(reporting_probe, environment))
            inside["baseline"].append(reported_first_frame(reporting_floor, environment))
            outside["tintora"].append(seen_from_outside([program], environment, screen))
            outside["baseline"].append(seen_from_outside([baseline], environment, screen))
    for way, results in (("inside", inside), ("outside", outside)):
        medians = {name: [statistics.median(run[i] for run in rs) for i in (0, 1)] for name, rs in results.items()}
        figure(f"{way}-startup-ms", medians["tintora"][0], medians["baseline"][0])
        figure(f"{way}-peak-rss-mib", medians["tintora"][1], medians["baseline"][1])
    print(f"runs {runs}")
    return 0


def main():
    what, *arguments = sys.argv[1:]
    if what == "count":
        limit = None
        if "--max" in arguments:
            at = arguments.index("--max")
            limit = float(arguments[at + 1])
            del arguments[at:at + 2]
        return count(*(os.path.abspath(a) for a in arguments), limit)
    if what == "time":
        paths = [os.path.abspath(a) for a in arguments[:3]]
        return timed(*paths, int(arguments[3]) if len(arguments) > 3 else 11)
    raise SystemExit(__doc__)


if __name__ == "__main__":
    sys.exit(main())
