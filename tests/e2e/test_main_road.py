"""A user's whole main road in the real program: open an image, draw a box, label it in the box
editor, save the boxes as JSON; then open a second image with copies of a pattern, draw a box
around one copy, run Match and save again, as JSON and as CSV: every copy has a box with the
template's label. The user's own PYTHONPATH is set and must not hide the bundled scripts. The
details column then tells the image's name, size and boxes, the class counts of both images, and
the details of a box clicked on the canvas, which its pad nudges.

Controls are found by name on the accessibility bus, so the test runs in a D-Bus session of its own.
"""

import contextlib
import csv
import json
import os
import sys

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


def save(x, app, kind, path):
    """Saves through the Save popover and its save dialog; the file's text."""
    x.press(app, "Save")
    x.press(app, kind)
    dialog = x.wait_for_window(f"Save {kind} file")
    x.type_into(dialog, path)
    x.xdotool("key", "Return")
    x.wait_until_gone(dialog)
    x.wait_until(lambda: os.path.exists(path), f"{path} was not written")
    with open(path, encoding="utf-8") as stream:
        return stream.read()


def card_texts(x, app, card, wanted, what):
    """The texts of a details card once `wanted` accepts them (the panel refreshes a pass later)."""
    found = []

    def ready():
        found[:] = x.texts(app, card, "filler")
        return wanted(found)

    x.wait_until(ready, lambda: f"{what}: {card} reads {found}")
    return found


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
        x.env["PYTHONPATH"] = os.path.join(x.home, "own modules")

        with step(x, "start"):
            x.start(program)
            x.wait_for_window("Kestrune")
            app = x.application("Kestrune")

        with step(x, "open an image through New Image and the Open dialog"):
            open_image(x, app, picture)
            left, top, _, _ = x.extents(app, "Canvas", role="filler")
            # The picture at the canvas's top-left, whole and unscaled: the bounding box of its colour.
            def shown():
                return tuple(int(v) for v in x.run("convert", x.screenshot(), "-fill", "black", "+opaque", f"#{GREEN}",
                                                   "-trim", "-format", "%w %h %X %Y", "info:").split())

            x.wait_until(lambda: shown() == (300, 200, left, top),
                         lambda: f"the picture is not shown whole at the canvas's corner {left},{top}: {shown()}")

        with step(x, "draw a box in draw mode"):
            x.press(app, "Draw Rectangle")
            x.drag((left + 30, top + 40), (left + 130, top + 120))

        with step(x, "label the box in the box editor"):
            label_box(x, app, "cat")

        with step(x, "save the boxes as JSON"):
            saved = json.loads(save(x, app, "JSON", os.path.join(x.home, "first boxes.json")))
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

            def differing():
                shot = os.path.join(x.home, "shown.png")
                x.run("convert", x.screenshot(), "-crop", f"{SCENE[0]}x{SCENE[1]}+{left}+{top}", "+repage", *corner,
                      shot)
                return x.differing_pixels(shot, expected)

            x.wait_until(lambda: differing() == 0,
                         lambda: f"the second image is not shown at {left},{top}: {differing()} pixels differ")

        template = PLACES[0]
        with step(x, "draw a template box around one copy of the pattern"):
            x.drag((left + template[0], top + template[1]), (left + template[0] + SIDE, top + template[1] + SIDE))
            label_box(x, app, "spot")

        with step(x, "run Match"):
            x.press(app, "Match")

            # A box's fill tints the grey picture under it; a failed Match says why in a message box.
            def unboxed():
                shot = x.screenshot()
                return [p for p in PLACES if grey(x.pixel(shot, left + p[0] + SIDE // 2, top + p[1] + SIDE // 2))]

            x.wait_until(lambda: not unboxed(), lambda: f"no box appeared at {unboxed()}", timeout=30)

        with step(x, "save the matched boxes as JSON"):
            saved = json.loads(save(x, app, "JSON", os.path.join(x.home, "matched boxes.json")))
            assert saved["imageName"] == "match scene.png" and saved["imageIndex"] == 1, saved
            found = sorted(saved["shapes"], key=lambda s: (s["bboxCoord"][0][1], s["bboxCoord"][0][0]))
            places = sorted(PLACES, key=lambda p: (p[1], p[0]))
            assert len(found) == len(places), f"expected a box at each of {places}, saved {found}"
            for shape, (px, py) in zip(found, places):
                (x0, y0), (x1, y1) = shape["bboxCoord"]
                near = all(abs(a - b) <= 2 for a, b in zip((x0, y0, x1, y1), (px, py, px + SIDE, py + SIDE)))
                assert shape["label"] == "spot" and near, f"expected a spot box at {(px, py)}, saved {shape}"

        with step(x, "save the matched boxes as CSV"):
            rows = list(csv.DictReader(save(x, app, "CSV", os.path.join(x.home, "matched boxes.csv")).splitlines()))
            boxes = sorted([float(r[k]) for k in ("x1", "y1", "x2", "y2")] for r in rows if r["label"] == "spot")
            expected = sorted(sum(shape["bboxCoord"], []) for shape in saved["shapes"])
            assert len(rows) == len(expected) and boxes == expected, f"saved {rows}, expected boxes {expected}"

        with step(x, "read the image details and the class counts of both images"):
            shown = ["match scene.png", f"{SCENE[0]} x {SCENE[1]}", str(len(PLACES))]
            card_texts(x, app, "Image Information", lambda t: t == shown, f"expected {shown}")
            counts = ["Class Statistics", "Class", "Number", "spot", str(len(PLACES)), "cat", "1"]
            card_texts(x, app, "Class Statistics", lambda t: t == counts, f"expected {counts}")

        with step(x, "read a clicked box's details and nudge it rightwards from the panel"):
            px, py = PLACES[-1]
            x.xdotool("mousemove", left + px + SIDE // 2, top + py + SIDE // 2, "click", 1)
            x.press(app, "Selected Bounding Box Property")
            texts = card_texts(x, app, "Bounding Box", lambda t: len(t) == 4, "expected its four values")
            assert texts[0] == "spot" and texts[3] == "False", f"box details {texts}"
            start, end = point_of(texts[1]), point_of(texts[2])
            near = all(abs(a - b) <= 2 for a, b in zip(start + end, (px, py, px + SIDE, py + SIDE)))
            assert near, f"the clicked box at {(px, py)} reads {texts}"
            x.press(app, "Move the selected box rightwards")
            moved = f"({start[0] + 1:.1f},{start[1]:.1f})"
            card_texts(x, app, "Bounding Box", lambda t: len(t) == 4 and t[1] == moved,
                       f"after a nudge rightwards, expected the start {moved}")
            card_x, _, card_width, _ = x.extents(app, "Bounding Box", role="filler")
            assert card_x + card_width <= x.width, f"the box card is cut at the window's edge: {card_x}+{card_width}"
    print("ok")


if __name__ == "__main__":
    on_own_session_bus()
    main(sys.argv[1])
