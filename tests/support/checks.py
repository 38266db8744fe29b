"""What the scripts that test the real program share: checks that say what
they found, the closing count, the grading rule written out on its own, and
the program's exit status."""
import subprocess
import time

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def summary():
    """The closing line, and the script's exit status."""
    print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


def grade(error):
    return "◎" if error <= 5 else "○" if error <= 10 else "△"


def until(value, timeout=10, step=0.05):
    """What value() gives once it is true, or at the end of the time."""
    deadline = time.monotonic() + timeout
    while not (found := value()) and time.monotonic() < deadline:
        time.sleep(step)
    return found


def exit_status(program, timeout=5):
    """The program's exit status once it has ended, or None if it goes on."""
    try:
        return program.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None


def ends_with_status_0(program, how):
    """Checks that the program ends with status 0; what it wrote on stderr."""
    try:
        errors = program.communicate(timeout=5)[1]
    except subprocess.TimeoutExpired:
        program.kill()
        errors = program.communicate()[1]
    check(program.returncode == 0, f"{how} ends the program with status 0 ({program.returncode})")
    return errors or ""


def walk(accessible):
    """Every accessible object below one, depth first."""
    for child in accessible:
        if child is not None:
            yield child
            yield from walk(child)
