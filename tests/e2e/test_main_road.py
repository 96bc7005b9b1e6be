"""A user's main road: open, draw, label and save; Match a pattern's copies and save as JSON and CSV (with
the user's own PYTHONPATH set); read the details column and nudge a box from its pad. Controls are found
on the accessibility bus of a D-Bus session of the test's own."""

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

    image = np.random.default_rng(11).integers(0, 256, SCENE[::-1], dtype=np.uint8)
    pattern = np.random.default_rng(12).integers(0, 256, (SIDE, SIDE), dtype=np.uint8)
    for x, y in PLACES:
        image[y : y + SIDE, x : x + SIDE] = pattern
    assert cv2.imwrite(path, image), f"cannot write {path}"


def near(corners, place):
    """Whether (x1, y1, x2, y2) is within 2 of the pattern's corners at place."""
    px, py = place
    return all(abs(a - b) <= 2 for a, b in zip(corners, (px, py, px + SIDE, py + SIDE)))


def main(program):
    with XSession(accessible=True) as x:
        picture = os.path.join(x.home, "boxes picture.png")
        x.run("convert", "-size", "300x200", f"xc:#{GREEN}", picture)
        scene = os.path.join(x.home, "match scene.png")
        write_scene(scene)
        x.env["PYTHONPATH"] = os.path.join(x.home, "own modules")
        card = lambda name, wanted, what: x.wait_for(lambda: x.texts(name, "filler"), wanted, f"{what}: {name} reads")

        with x.step("start"):
            x.start(program)

        with x.step("open an image through New Image and the Open dialog"):
            x.open_image(picture)
            left, top, _, _ = x.extents("Canvas", role="filler")
            # The picture at the canvas's top-left, whole and unscaled: the bounding box of its colour.
            x.wait_for(lambda: tuple(int(v) for v in x.run("convert", x.screenshot(), "-fill", "black", "+opaque",
                                                           f"#{GREEN}", "-trim", "-format", "%w %h %X %Y",
                                                           "info:").split()),
                       (300, 200, left, top), f"the picture is not shown whole at the canvas's corner {left},{top}")

        with x.step("draw a box in draw mode and label it in the box editor"):
            x.press("Draw Rectangle")
            x.drag((left + 30, top + 40), (left + 130, top + 120))
            x.label_box("cat")

        with x.step("save the boxes as JSON"):
            saved = json.loads(x.saved("JSON", os.path.join(x.home, "first boxes.json")))
            expected = {"imageName": "boxes picture.png", "imageIndex": 0,
                        "shapes": [{"label": "cat", "bboxCoord": [[30.0, 40.0], [130.0, 120.0]]}]}
            assert saved == expected, f"saved {saved}, expected {expected}"

        with x.step("open the second image and go to it"):
            x.open_image(scene)
            x.press("Next")
            card("Image Information", lambda t: t[:1] == ["match scene.png"], "after Next")

        with x.step("draw a template box around one copy of the pattern and run Match"):
            tx, ty = PLACES[0]
            x.drag((left + tx, top + ty), (left + tx + SIDE, top + ty + SIDE))
            x.label_box("spot")
            x.press("Match")
            # A box's fill tints the grey picture under it; a failed Match says why in a message box.
            def unboxed():
                shot = x.screenshot()
                colours = [x.pixel(shot, left + px + SIDE // 2, top + py + SIDE // 2) for px, py in PLACES]
                return [p for p, c in zip(PLACES, colours) if c[0:2] == c[2:4] == c[4:6]]

            x.wait_for(unboxed, [], "places with no box", timeout=30)

        with x.step("save the matched boxes as JSON"):
            saved = json.loads(x.saved("JSON", os.path.join(x.home, "matched boxes.json")))
            assert saved["imageName"] == "match scene.png" and saved["imageIndex"] == 1, saved
            found = sorted(saved["shapes"], key=lambda s: (s["bboxCoord"][0][1], s["bboxCoord"][0][0]))
            places = sorted(PLACES, key=lambda p: (p[1], p[0]))
            assert len(found) == len(places), f"expected a box at each of {places}, saved {found}"
            for shape, place in zip(found, places):
                assert shape["label"] == "spot" and near(sum(shape["bboxCoord"], []), place), \
                    f"expected a spot box at {place}, saved {shape}"

        with x.step("save the matched boxes as CSV"):
            rows = list(csv.DictReader(x.saved("CSV", os.path.join(x.home, "matched boxes.csv")).splitlines()))
            boxes = sorted([float(r[k]) for k in ("x1", "y1", "x2", "y2")] for r in rows if r["label"] == "spot")
            expected = sorted(sum(shape["bboxCoord"], []) for shape in saved["shapes"])
            assert len(rows) == len(expected) and boxes == expected, f"saved {rows}, expected boxes {expected}"

        with x.step("read the image details and the class counts of both images"):
            card("Image Information", ["match scene.png", f"{SCENE[0]} x {SCENE[1]}", str(len(PLACES))], "expected")
            card("Class Statistics", ["Class Statistics", "Class", "Number", "spot", str(len(PLACES)), "cat", "1"],
                 "expected")

        with x.step("read a clicked box's details and nudge it rightwards from the panel"):
            place = PLACES[-1]
            x.xdotool("mousemove", left + place[0] + SIDE // 2, top + place[1] + SIDE // 2, "click", 1)
            x.press("Selected Bounding Box Property")
            texts = card("Bounding Box", lambda t: len(t) == 4, "expected its four values")
            start, end = (tuple(float(v) for v in t.strip("()").split(",")) for t in texts[1:3])
            assert texts[0] == "spot" and texts[3] == "False" and near(start + end, place), \
                f"the clicked box at {place} reads {texts}"
            x.press("Move the selected box rightwards")
            moved = f"({start[0] + 1:.1f},{start[1]:.1f})"
            card("Bounding Box", lambda t: len(t) == 4 and t[1] == moved, f"after a nudge rightwards, expected {moved}")
            card_x, _, card_width, _ = x.extents("Bounding Box", role="filler")
            assert card_x + card_width <= x.width, f"the box card is cut at the window's edge: {card_x}+{card_width}"
    print("ok")


if __name__ == "__main__":
    on_own_session_bus()
    main(sys.argv[1])
