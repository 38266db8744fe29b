"""A private desktop session for the scripts that run under dbus-run-session."""
import contextlib
import os
import subprocess
import tempfile


@contextlib.contextmanager
def private_runtime():
    """A runtime folder of the script's own, for it and for every service its
    session bus starts. The accessibility bus puts its socket in the runtime
    folder (named after the display, where there is one); a bus started with
    the folder or the display of whoever ran the tests would be shared with
    other test runs, or land on the user's own desktop. Call it once DISPLAY,
    if any, is the script's own, before anything asks for accessibility."""
    with tempfile.TemporaryDirectory(prefix="tintora-runtime-") as runtime:
        os.chmod(runtime, 0o700)
        os.environ["XDG_RUNTIME_DIR"] = runtime
        names = [f"XDG_RUNTIME_DIR={runtime}"]
        if "DISPLAY" in os.environ:
            names.append(f"DISPLAY={os.environ['DISPLAY']}")
        subprocess.run(["dbus-update-activation-environment", *names], check=True)
        yield runtime
