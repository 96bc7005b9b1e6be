"""A user's whole main road in the real program: open an image, draw a box, label it in the box
editor, save the boxes as JSON; then open a second image with copies of a pattern, draw a box
around one copy, run Match and save again: every copy has a box with the template's label. The
details column then tells the image's name, size and boxes, the class counts of both images, and
the details of a box clicked on the canvas, which its pad nudges.

Controls are found by name on the accessibility bus, so the test runs in a D-Bus session of its own.
"""

import contextlib
import json
import os
import sys
import time

from xsession import XSession, on_own_session_bus

GREEN = "3C9A50"
SIDE = 32  # the planted pattern's side
PLACES = [(40, 30), (250, 60), (90, 200), (300, 220)]  # its top-left corners; the first becomes the template
SCENE = (400, 300)


def write_scene(path):
    """Grey noise (no place resembles another) with one pattern planted at every place."""
    import cv2
    import numpy as np

    width, height = SCENE
    image = np.random.default_rng(11).integers(0, 256, (height, width), dtype=np.uint8)
    pattern = np.random.default_rng(12).integers(0, 256, (SIDE, SIDE), dtype=np.uint8)
    for x, y in PLACES:
        image[y : y + SIDE, x : x + SIDE] = pattern
    assert cv2.imwrite(path, image), f"cannot write {path}"


@contextlib.contextmanager
def step(x, text):
    """Names the step that failed, and says so when the program ended on the way."""
    try:
        yield
        x.check_running()
    except Exception as error:
        ended = "" if x.running() else "\nthe program ended:\n" + x.program_output()
        raise AssertionError(f"{text}: {error}{ended}") from error


def open_image(x, app, path):
    x.press(app, "New Image")
    dialog = x.wait_for_window("Open")
    x.type_into(dialog, path)
    x.xdotool("key", "Return")
    x.wait_until_gone(dialog)


def label_box(x, app, label):
    """Types the label into the box editor that drawing opened, and closes it with Return."""
    editor = x.wait_for_window("Bounding Box", timeout=5)
    x.press(app, "Class Label", role="text")
    x.type_into(editor, label)
    x.xdotool("key", "Return")
    x.wait_until_gone(editor)


def save_json(x, app, path):
    x.press(app, "Save")
    x.press(app, "JSON")
    dialog = x.wait_for_window("Save JSON file")
    x.type_into(dialog, path)
    x.xdotool("key", "Return")
    x.wait_until_gone(dialog)
    deadline = time.monotonic() + 10
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            raise RuntimeError(f"{path} was not written")
        time.sleep(0.1)
    with open(path, encoding="utf-8") as stream:
        return json.load(stream)


def wait_for_texts(x, app, card, wanted, timeout=10):
    """The texts of a details card once `wanted` accepts them (the panel refreshes a pass later)."""
    deadline = time.monotonic() + timeout
    while True:
        texts = x.texts(app, card, "filler")
        if wanted(texts) or time.monotonic() > deadline:
            return texts
        time.sleep(0.2)


def point_of(text):
    """(x, y) from a corner's text "(x,y)"."""
    return tuple(float(v) for v in text.strip("()").split(","))


def grey(colour):
    return colour[0:2] == colour[2:4] == colour[4:6]


def main(program):
    with XSession(1280, 800) as x:
        x.use_accessibility()
        picture = os.path.join(x.home, "boxes picture.png")
        x.run("convert", "-size", "300x200", f"xc:#{GREEN}", picture)
        scene = os.path.join(x.home, "match scene.png")
        write_scene(scene)

        with step(x, "start"):
            x.start(program)
            x.wait_for_window("Kestrune")
            app = x.application("Kestrune")

        with step(x, "open an image through New Image and the Open dialog"):
            open_image(x, app, picture)
            canvas_x, canvas_y, _, _ = x.extents(app, "Canvas", role="filler")
            # The picture at the canvas's top-left, whole and unscaled: the bounding box of its colour.
            deadline = time.monotonic() + 10
            while True:
                geometry = x.run("convert", x.screenshot(), "-fill", "black", "+opaque", f"#{GREEN}", "-trim",
                                 "-format", "%w %h %X %Y", "info:").split()
                shown = tuple(int(v) for v in geometry)
                if shown == (300, 200, canvas_x, canvas_y) or time.monotonic() > deadline:
                    break
                time.sleep(0.2)
            assert shown == (300, 200, canvas_x, canvas_y), \
                f"the picture is not shown whole at the canvas's corner {canvas_x},{canvas_y}: {shown}"
            left, top = canvas_x, canvas_y

        with step(x, "draw a box in draw mode"):
            x.press(app, "Draw Rectangle")
            x.drag((left + 30, top + 40), (left + 130, top + 120))

        with step(x, "label the box in the box editor"):
            label_box(x, app, "cat")

        with step(x, "save the boxes as JSON"):
            saved = save_json(x, app, os.path.join(x.home, "first boxes.json"))
            expected = {"imageName": "boxes picture.png", "imageIndex": 0,
                        "shapes": [{"label": "cat", "bboxCoord": [[30.0, 40.0], [130.0, 120.0]]}]}
            assert saved == expected, f"saved {saved}, expected {expected}"

        with step(x, "open the second image and go to it"):
            open_image(x, app, scene)
            x.press(app, "Next")
            # It is shown pixel for pixel where the first one was, but for the canvas's rounded corner.
            corner = ("-fill", "black", "-draw", "rectangle 0,0 9,9")
            expected = os.path.join(x.home, "expected.png")
            x.run("convert", scene, *corner, expected)
            deadline = time.monotonic() + 10
            while True:
                shown = os.path.join(x.home, "shown.png")
                x.run("convert", x.screenshot(), "-crop", f"{SCENE[0]}x{SCENE[1]}+{left}+{top}", "+repage", *corner,
                      shown)
                differ = x.differing_pixels(shown, expected)
                if differ == 0 or time.monotonic() > deadline:
                    break
                time.sleep(0.2)
            assert differ == 0, f"the second image is not shown at {left},{top}: {differ} pixels differ"

        template = PLACES[0]
        with step(x, "draw a template box around one copy of the pattern"):
            x.drag((left + template[0], top + template[1]), (left + template[0] + SIDE, top + template[1] + SIDE))
            label_box(x, app, "spot")

        with step(x, "run Match"):
            x.press(app, "Match")
            centres = [(left + px + SIDE // 2, top + py + SIDE // 2) for px, py in PLACES]
            # A box's fill tints the grey picture under it.
            deadline = time.monotonic() + 30
            while True:
                shot = x.screenshot()
                boxed = [not grey(x.pixel(shot, *c)) for c in centres]
                if all(boxed):
                    break
                if x.find_window("Match") is not None:
                    raise RuntimeError("Match failed: " + " ".join(x.texts(app, "Match", "alert")))
                if time.monotonic() > deadline:
                    raise RuntimeError(f"no box appeared at {[p for p, b in zip(PLACES, boxed) if not b]}")
                time.sleep(0.2)

        with step(x, "save the matched boxes as JSON"):
            saved = save_json(x, app, os.path.join(x.home, "matched boxes.json"))
            assert saved["imageName"] == "match scene.png" and saved["imageIndex"] == 1, saved
            found = sorted(saved["shapes"], key=lambda s: (s["bboxCoord"][0][1], s["bboxCoord"][0][0]))
            places = sorted(PLACES, key=lambda p: (p[1], p[0]))
            assert len(found) == len(places), f"expected a box at each of {places}, saved {found}"
            for shape, (px, py) in zip(found, places):
                (x0, y0), (x1, y1) = shape["bboxCoord"]
                near = all(abs(a - b) <= 2 for a, b in zip((x0, y0, x1, y1), (px, py, px + SIDE, py + SIDE)))
                assert shape["label"] == "spot" and near, f"expected a spot box at {(px, py)}, saved {shape}"

        with step(x, "read the image details and the class counts of both images"):
            shown = ["match scene.png", f"{SCENE[0]} x {SCENE[1]}", str(len(PLACES))]
            texts = wait_for_texts(x, app, "Image Information", lambda t: t == shown)
            assert texts == shown, f"image details {texts}, expected {shown}"
            counts = ["Class Statistics", "Class", "Number", "spot", str(len(PLACES)), "cat", "1"]
            texts = wait_for_texts(x, app, "Class Statistics", lambda t: t == counts)
            assert texts == counts, f"class statistics {texts}, expected {counts}"

        with step(x, "read a clicked box's details and nudge it rightwards from the panel"):
            px, py = PLACES[-1]
            x.xdotool("mousemove", left + px + SIDE // 2, top + py + SIDE // 2, "click", 1)
            x.press(app, "Selected Bounding Box Property")
            texts = wait_for_texts(x, app, "Bounding Box", lambda t: len(t) == 4)
            assert len(texts) == 4 and texts[0] == "spot" and texts[3] == "False", f"box details {texts}"
            start, end = point_of(texts[1]), point_of(texts[2])
            near = all(abs(a - b) <= 2 for a, b in zip(start + end, (px, py, px + SIDE, py + SIDE)))
            assert near, f"the clicked box at {(px, py)} reads {texts}"
            x.press(app, "Move the selected box rightwards")
            moved = f"({start[0] + 1:.1f},{start[1]:.1f})"
            texts = wait_for_texts(x, app, "Bounding Box", lambda t: len(t) == 4 and t[1] == moved)
            assert texts[1] == moved, f"after a nudge rightwards the box reads {texts}, expected start {moved}"
            card_x, _, card_width, _ = x.extents(app, "Bounding Box", role="filler")
            assert card_x + card_width <= x.width, f"the box card is cut at the window's edge: {card_x}+{card_width}"
    print("ok")


if __name__ == "__main__":
    on_own_session_bus()
    main(sys.argv[1])
