#!/usr/bin/python3
"""The real tintora on a desktop: Xvfb with openbox, Debian's plain window manager.

- Window manager: the window is framed and hands it its icon in every size
  a frame or task bar shows, maximising it moves no control, and its close
  box ends the program with status 0.
- Dark desktop themes (qt6ct's "darker" scheme, GTK's Adwaita:dark): in the
  red stage and once scored, every caption's ink stands out from what lies
  behind it, and ＥＮＤ and the bar look as on a default desktop.
- No Japanese font: one line on stderr names the package to install, and the
  window opens all the same.

Usage: desktop.py TINTORA
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../support"))
from checks import check, ends_with_status_0, summary, until  # noqa: E402
from screen import Screen, click, ink_against_background, running_openbox, start  # noqa: E402
from tables import CHANNELS, MEASUREMENT, ROLES, centre, place  # noqa: E402

# The controls whose captions must stand out, as the window shows them in
# the red stage and once scored; and those the toolkit draws.
RED_STAGE_CAPTIONS = ["Label3", "Label1(0)", "Label1(1)", "Label2(2)", "Label21", "RedBottun", "labelred", "Command1",
                      ROLES["end"]]
SCORED_CAPTIONS = ["Label16", "Label10", "Label12(0)", "Label12(1)", "Label24", ROLES["score"], ROLES["remeasure"]] + [
    name for channel in CHANNELS for name in (channel["confirmed"], channel["correct"], channel["error"],
                                              f"Label13({channel['index']})")]
TOOLKIT_DRAWN = [ROLES["end"], "red"]


def window_manager(tintora, screen):
    process, window = start([tintora])
    frame = screen.x.create_resource_object("window", window).query_tree().parent
    check(frame.id != screen.root.id, "openbox frames the window")
    icon = screen.x.create_resource_object("window", window).get_full_property(
        screen.x.intern_atom("_NET_WM_ICON"), 0)
    words, sizes, opaque = list(icon.value) if icon else [], [], True
    while len(words) >= 2:
        width, height, *rest = words
        sizes.append((width, height))
        opaque = opaque and (rest[width * height // 2 + width // 2] >> 24) == 0xFF
        words = rest[width * height:]
    check(sizes == [(n, n) for n in (16, 24, 32, 48, 64, 128)] and opaque,
          f"the window manager finds the icon, {sizes}, opaque at the centre: {opaque}")
    start_face = (0x80, 0xFF, 0xFF)
    check(screen.grab(window).getpixel((442, 70)) == start_face, "ＳＴＡＲＴ stands where designed")
    screen.maximise(window)
    until(lambda: screen.client_size(window)[0] > 700, 2.5)
    time.sleep(0.3)
    check(screen.client_size(window)[0] > 700, f"maximising widens the window to {screen.client_size(window)}")
    shot = screen.grab(window)
    check(shot.getpixel((442, 70)) == start_face and shot.getpixel((104, 10)) == (0, 0, 0),
          "maximised, ＳＴＡＲＴ and the title stay in place")
    screen.close_box(window)
    ends_with_status_0(process, "the close box")


def captions_stand_out(shot, names, theme):
    for name in names:
        x, y, w, h = place(name)
        background, ink = ink_against_background(shot.crop((x, y, x + w, y + h)))
        check(ink >= 12, f"{theme}: {name} has {ink} pixels of ink against its background {background}")


def themes(tintora, screen, config):
    os.makedirs(os.path.join(config, "qt6ct"), exist_ok=True)
    with open(os.path.join(config, "qt6ct", "qt6ct.conf"), "w") as conf:
        conf.write("[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\ncustom_palette=true\n")
    desktops = [
        ("default desktop", {}, None),
        ("qt6ct darker", {"QT_QPA_PLATFORMTHEME": "qt6ct", "XDG_CONFIG_HOME": config}, "libqt6ct.so"),
        ("GTK Adwaita:dark", {"QT_QPA_PLATFORMTHEME": "gtk3", "GTK_THEME": "Adwaita:dark"}, "libqgtk3.so"),
    ]
    default_look = {}
    for theme, env, plugin in desktops:
        process, window = start([tintora], {**env, "QT_DEBUG_PLUGINS": "1"} if plugin else env)
        click(window, *centre(ROLES["start"]))
        time.sleep(0.3)
        shot = screen.grab(window)
        captions_stand_out(shot, RED_STAGE_CAPTIONS, theme)
        for name in TOOLKIT_DRAWN:
            x, y, w, h = place(name)
            look = shot.crop((x, y, x + w, y + h)).tobytes()
            if plugin is None:
                default_look[name] = look
            else:
                check(look == default_look[name], f"{theme}: {name} looks as on the default desktop")
        for name in MEASUREMENT[1:]:
            click(window, *centre(name))
        time.sleep(0.3)
        captions_stand_out(screen.grab(window), SCORED_CAPTIONS, theme)
        click(window, *centre(ROLES["end"]))
        errors = ends_with_status_0(process, f"{theme}: ＥＮＤ")
        if plugin:
            check(any("loaded library" in line and plugin in line for line in errors.splitlines()),
                  f"{theme}: the program ran with the desktop's theme ({plugin})")


def missing_font(tintora, fonts):
    """Only a font without Japanese characters is installed."""
    def fonts_for(language):
        listed = subprocess.run(["fc-list", "--format", "%{file}\n", f":lang={language}"],
                                capture_output=True, text=True)
        return set(listed.stdout.split())
    font = sorted(fonts_for("en") - fonts_for("ja"))[0]
    os.symlink(font, os.path.join(fonts, os.path.basename(font)))
    with open(os.path.join(fonts, "fonts.conf"), "w") as conf:
        conf.write(f'<?xml version="1.0"?><fontconfig><dir>{fonts}</dir>'
                   f'<cachedir>{fonts}/cache</cachedir></fontconfig>')
    process, window = start([tintora], {"FONTCONFIG_FILE": os.path.join(fonts, "fonts.conf")})
    check(window is not None, f"with only {os.path.basename(font)} installed, the window opens")
    click(window, *centre(ROLES["end"]))
    lines = [line for line in ends_with_status_0(process, "ＥＮＤ").splitlines() if line.strip()]
    check(len(lines) == 1 and "fonts-ipafont-gothic" in lines[0], f"one line names the font package: {lines}")


def main():
    tintora = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as scratch:
        os.environ["XDG_RUNTIME_DIR"] = scratch
        os.chmod(scratch, 0o700)
        with running_openbox():
            screen = Screen()
            try:
                window_manager(tintora, screen)
                themes(tintora, screen, os.path.join(scratch, "config"))
                os.makedirs(os.path.join(scratch, "fonts"))
                missing_font(tintora, os.path.join(scratch, "fonts"))
            finally:
                screen.close()
    return summary()


if __name__ == "__main__":
    sys.exit(main())
