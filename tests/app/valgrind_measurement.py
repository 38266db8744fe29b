#!/usr/bin/python3
"""One whole measurement of the real program under valgrind's memcheck,
driven under Xvfb as a user would, ended by ＥＮＤ. Passes when memcheck finds
no error and no block definitely lost from the program's own code.

Usage: valgrind_measurement.py TINTORA [LOG]
"""
import os
import re
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "../support"))
from checks import check, summary  # noqa: E402
from screen import window_id, xdotool  # noqa: E402
from tables import CHANNELS, MEASUREMENT, ROLES, bar_part, centre  # noqa: E402


def click(point, pause=1.5):
    xdotool("mousemove", *point, "click", "1")
    time.sleep(pause)


def main():
    tintora = os.path.abspath(sys.argv[1])
    log = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkstemp(suffix=".valgrind.log")[1]
    program = subprocess.Popen(["valgrind", "--tool=memcheck", "--leak-check=full", "--show-leak-kinds=definite",
                                "--errors-for-leak-kinds=none", f"--suppressions={here}/valgrind.supp",
                                "--num-callers=30", f"--log-file={log}", tintora])
    if window_id(program, timeout=60) is None:
        program.kill()
        check(False, "a window under valgrind")
        return summary()
    time.sleep(2)
    # Each stage's bar is moved by its track and an arrow before its 確定.
    moves = {channel["confirm"]: channel["bar"] for channel in CHANNELS}
    for name in MEASUREMENT + [ROLES["remeasure"]]:
        if name in moves:
            click(bar_part(moves[name], "track more"))
            click(bar_part(moves[name], "more"))
        click(centre(name))
    click(centre(ROLES["end"]), 0)
    status = program.wait(timeout=120)
    text = open(log).read()
    errors = re.findall(r"ERROR SUMMARY: (\d+) errors", text)
    # A definitely lost block counts against the program when its stack
    # passes through the program's own code.
    own = [block for block in re.split(r"\n==\d+== \n", text) if "definitely lost in loss record" in block
           and "tintora::" in block]
    print(f"exit status {status}, memcheck errors: {errors[-1] if errors else '?'}; log: {log}")
    check(status == 0, f"ＥＮＤ under valgrind ends with status 0 ({status})")
    clean = bool(errors) and errors[-1] == "0"
    check(clean, "memcheck finds no error" + ("" if clean else "\n" + text[-6000:]))
    check(not own, "no block definitely lost from the program's code" + "".join("\n" + block for block in own))
    return summary()


if __name__ == "__main__":
    sys.exit(main())
