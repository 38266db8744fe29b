"""The window's tables, as the build wrote them from look/ (tables.json,
named by TINTORA_TABLES, or else build/ci's): where each control stands in
pixels at 96 dpi, the channel table and the roles, so that the scripts that
drive the real program aim at the controls by name rather than by copies."""
import json
import os

PATH = os.environ.get("TINTORA_TABLES") or os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                        "../../build/ci/tables.json")
with open(PATH, encoding="utf-8") as _file:
    TABLES = json.load(_file)
CONTROLS = {control["name"]: control for control in TABLES["controls"]}
CHANNELS = TABLES["channels"]
ROLES = TABLES["roles"]


def place(name):
    """A control's designed place: left, top, width and height."""
    return tuple(CONTROLS[name]["place"])


def centre(name):
    left, top, width, height = place(name)
    return left + width // 2, top + height // 2


def bar_part(name, part):
    """Where to click on a part of a bar: its end arrows ("less", "more"),
    or its track near either end ("track less", "track more")."""
    left, top, width, height = place(name)
    x = {"less": left + height // 2, "more": left + width - height // 2,
         "track less": left + height + 4, "track more": left + width - height - 4}[part]
    return x, top + height // 2


# The buttons of a whole measurement, in the order a user presses them:
# ＳＴＡＲＴ, each channel's 確定 and then the next channel's button, and PUSH.
NEXT = [channel["button"] for channel in CHANNELS[1:]] + [ROLES["push"]]
MEASUREMENT = [ROLES["start"]] + [name for channel, then in zip(CHANNELS, NEXT) for name in (channel["confirm"], then)]
