"""From the sidebar: add an image, draw a box in draw mode, label it in the box editor and save the
boxes as JSON through the save dialog; the file holds the labelled box in image pixels. Controls are found by name on the
accessibility bus, so the test needs a D-Bus session of its own."""

import json
import os
import sys
import time

from xsession import XSession

GREEN = "3C9A50"


def find(app, name, role="push button", timeout=10):
    """The centre, on the screen, of the first visible control with this name and role."""
    import pyatspi

    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = pyatspi.findDescendant(app, lambda a: a is not None and a.name == name and a.getRoleName() == role)
        if found is not None:
            box = found.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            if box.width > 0 and box.height > 0:
                return box.x + box.width // 2, box.y + box.height // 2
        time.sleep(0.1)
    raise RuntimeError(f"no {role} named {name!r}")


def application(name, timeout=20):
    import pyatspi

    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    raise RuntimeError(f"{name} is not on the accessibility bus")


def main(program):
    with XSession(1280, 800) as x:
        os.environ["DISPLAY"] = x.env["DISPLAY"]
        x.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        x.env["DBUS_SESSION_BUS_ADDRESS"] = os.environ["DBUS_SESSION_BUS_ADDRESS"]
        picture = os.path.join(x.home, "boxes picture.png")
        x.run("convert", "-size", "300x200", f"xc:#{GREEN}", picture)

        x.start(program)
        x.wait_for_window("Kestrune")
        app = application("Kestrune")

        x.xdotool("mousemove", *find(app, "New Image"), "click", 1)
        dialog = x.wait_for_window("Open")
        x.type_into(dialog, picture)
        x.xdotool("key", "Return")
        x.wait_until_gone(dialog)

        x.xdotool("mousemove", *find(app, "Draw Rectangle"), "click", 1)
        # Where the picture is on the screen: the bounding box of its colour.
        shot = x.screenshot()
        deadline = time.monotonic() + 10
        while True:
            geometry = x.run("convert", shot, "-fill", "black", "+opaque", f"#{GREEN}", "-trim",
                             "-format", "%w %h %X %Y", "info:").split()
            if geometry[0] == "300" or time.monotonic() > deadline:
                break
            time.sleep(0.2)
            shot = x.screenshot()
        width, height, left, top = (int(v) for v in geometry)
        assert (width, height) == (300, 200), f"the picture is not shown whole at zoom 1: {geometry}"

        x.xdotool("mousemove", left + 30, top + 40, "mousedown", 1)
        for k in range(1, 11):
            time.sleep(0.02)
            x.xdotool("mousemove", left + 30 + 10 * k, top + 40 + 8 * k)
        time.sleep(0.05)
        x.xdotool("mouseup", 1)

        # The box editor opens for the new box; the label is typed into it and Return saves it.
        editor = x.wait_for_window("Bounding Box")
        label = "cat"
        x.xdotool("windowfocus", "--sync", editor)
        x.xdotool("mousemove", *find(app, "Class Label", role="text"), "click", 1)
        x.xdotool("type", "--delay", 20, label)
        x.xdotool("key", "Return")
        x.wait_until_gone(editor)

        x.xdotool("mousemove", *find(app, "Save"), "click", 1)
        x.xdotool("mousemove", *find(app, "JSON"), "click", 1)
        dialog = x.wait_for_window("Save JSON file")
        saved = os.path.join(x.home, "saved boxes.json")
        x.type_into(dialog, saved)
        x.xdotool("key", "Return")
        x.wait_until_gone(dialog)

        deadline = time.monotonic() + 10
        while not os.path.exists(saved) and time.monotonic() < deadline:
            time.sleep(0.1)
        with open(saved, encoding="utf-8") as stream:
            data = json.load(stream)
        expected = {"imageName": "boxes picture.png", "imageIndex": 0,
                    "shapes": [{"label": label, "bboxCoord": [[30.0, 40.0], [130.0, 120.0]]}]}
        assert data == expected, f"saved {data}, expected {expected}"
        assert x.running(), "the program ended:\n" + x.program_output()
    print("ok")


if __name__ == "__main__":
    if "DBUS_SESSION_BUS_ADDRESS" not in os.environ or not os.environ.get("KESTRUNE_OWN_BUS"):
        try:
            import pyatspi  # noqa: F401
        except ImportError:
            print("pyatspi is missing; run scripts/setup.sh")
            sys.exit(1)
        # A session bus of our own, so the accessibility bus belongs to this test alone.
        os.environ["KESTRUNE_OWN_BUS"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])
    main(sys.argv[1])
