"""From the sidebar: add an image, draw a box in draw mode, label it in the box editor and save the
boxes as JSON through the save dialog; the file holds the labelled box in image pixels. Controls are found by name on the
accessibility bus, so the test needs a D-Bus session of its own."""

import json
import os
import sys
import time

from xsession import XSession, on_own_session_bus

GREEN = "3C9A50"


def main(program):
    with XSession(1280, 800) as x:
        x.use_accessibility()
        picture = os.path.join(x.home, "boxes picture.png")
        x.run("convert", "-size", "300x200", f"xc:#{GREEN}", picture)

        x.start(program)
        x.wait_for_window("Kestrune")
        app = x.application("Kestrune")

        x.press(app, "New Image")
        dialog = x.wait_for_window("Open")
        x.type_into(dialog, picture)
        x.xdotool("key", "Return")
        x.wait_until_gone(dialog)

        x.press(app, "Draw Rectangle")
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

        x.drag((left + 30, top + 40), (left + 130, top + 120))

        # The box editor opens for the new box; the label is typed into it and Return saves it.
        editor = x.wait_for_window("Bounding Box")
        label = "cat"
        x.xdotool("windowfocus", "--sync", editor)
        x.press(app, "Class Label", role="text")
        x.xdotool("type", "--delay", 20, label)
        x.xdotool("key", "Return")
        x.wait_until_gone(editor)

        x.press(app, "Save")
        x.press(app, "JSON")
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
    on_own_session_bus()
    main(sys.argv[1])
