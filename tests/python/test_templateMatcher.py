import json
import os
import pathlib
import urllib.parse

import cv2
import numpy as np
import pytest

import templateMatcher

SIDE = 24
SIZES = {4: (40, 16), 5: (48, 48)}  # (width, height) of the patterns that are not SIDE x SIDE
ROUGH = 60  # a copy with this much noise added scores about 0.77 against the pattern


def textured(height, width, seed=7):
    """Grey noise: no place of it resembles another."""
    return np.random.default_rng(seed).integers(0, 256, (height, width), dtype=np.uint8)


def pattern(seed):
    width, height = SIZES.get(seed, (SIDE, SIDE))
    return textured(height, width, seed)


def box(x, y, width=SIDE, height=SIDE):
    return [[x, y], [x + width, y + height]]


def scene(folder, plants, height=300, width=400):
    """The URL of a textured image with each pattern planted at its places, (x, y) or (x, y, noise)."""
    image = textured(height, width)
    for seed, places in plants.items():
        for x, y, *noise in places:
            copy = pattern(seed).astype(float)
            if noise:
                copy += np.random.default_rng(x).normal(0, noise[0], copy.shape)
            image[y : y + copy.shape[0], x : x + copy.shape[1]] = np.clip(copy, 0, 255)
    path = os.path.join(folder, "scene.png")
    assert cv2.imwrite(path, image)
    return "file://" + urllib.parse.quote(path)


def templates(folder, shapes):
    """The URL of a template file with the shapes given as (label, box)."""
    path = pathlib.Path(folder, "templates.json")
    shapes = [{"label": label, "bboxCoord": b} for label, b in shapes]
    path.write_text(json.dumps({"imageName": "scene.png", "imageIndex": 4, "shapes": shapes}), encoding="utf-8")
    return "file://" + urllib.parse.quote(str(path))


def run(template_url, image_url, threshold=0.6):
    matcher = templateMatcher.TemplateMatcher(template_url, image_url)
    matcher.match_template(threshold)
    return matcher.json_file_name, json.loads(pathlib.Path(matcher.json_file_name).read_text(encoding="utf-8"))


PLANTS = {1: [(10, 10), (200, 40), (330, 250)], 2: [(60, 150), (84, 150), (250, 200)], 3: [(120, 20)]}


# Templates as (label, box) and the matches expected, in reading order.
CASES = {
    "every copy is found with its template's label, and nothing else": (
        PLANTS,
        # Reversed, fractional corners name the same pixels.
        [("cat", box(10, 10)), ("dog/x", [[60.4 + SIDE, 150.2 + SIDE], [59.6, 149.8]]), ("one", box(120, 20))],
        # (84, 150) touches the template at (60, 150): a copy of its own, found all the same.
        [("cat", box(200, 40)), ("dog/x", box(84, 150)), ("dog/x", box(250, 200)), ("cat", box(330, 250))],
    ),
    "a wide template is matched at its own size and not again on itself": (
        {4: [(10, 10), (200, 40), (120, 230)]},
        [("wide", box(10, 10, 40, 16))],
        [("wide", box(200, 40, 40, 16)), ("wide", box(120, 230, 40, 16))],
    ),
    "an exact and a rough template on one copy: the better one labels it": (
        {1: [(10, 10), (200, 40, ROUGH), (300, 200)]},
        [("rough", box(200, 40)), ("exact", box(10, 10))],
        [("exact", box(300, 200))],
    ),
    "a template nested in a larger one: one box per copy": (
        {5: [(10, 10), (300, 10, ROUGH), (200, 100)]},
        [("big", box(10, 10, 48, 48)), ("inner", box(312, 22))],
        [("big", box(200, 100, 48, 48))],
    ),
}


@pytest.mark.parametrize("plants, shapes, expected", CASES.values(), ids=CASES.keys())
def test_each_copy_gives_one_match_with_the_best_template_label(tmp_path, plants, shapes, expected):
    folder = tmp_path / "a folder ü"
    folder.mkdir()
    image_url = scene(str(folder), plants)
    path, result = run(templates(str(folder), shapes), image_url)
    assert os.path.isabs(path) and os.path.dirname(path) == str(folder)
    assert result["imageName"] == "scene.png" and result["imageIndex"] == 4
    assert [(s["label"], s["bboxCoord"]) for s in result["shapes"]] == expected


def test_a_template_low_in_a_tall_image_is_read_to_its_bottom(tmp_path):
    image_url = scene(str(tmp_path), {1: [(10, 350), (200, 40)]}, height=400, width=300)
    _, result = run(templates(str(tmp_path), [("low", box(10, 350))]), image_url)
    assert [(s["label"], s["bboxCoord"]) for s in result["shapes"]] == [("low", box(200, 40))]


def test_unusable_templates_are_skipped(tmp_path):
    image = textured(100, 100)
    image[50:70, 50:70] = 128
    cv2.imwrite(str(tmp_path / "scene.png"), image)
    shapes = [("tiny", [[5, 5], [6, 40]]), ("flat", [[52, 52], [68, 68]]), ("outside", [[500, 500], [600, 600]])]
    _, result = run(templates(str(tmp_path), shapes), "file://" + str(tmp_path / "scene.png"), -1.0)
    assert result["shapes"] == []


def test_threshold_moves_the_number_of_matches_and_bad_inputs_are_clear_errors(tmp_path):
    image_url = scene(str(tmp_path), PLANTS)
    template_url = templates(str(tmp_path), [("cat", box(10, 10))])
    runs = [run(template_url, image_url, threshold) for threshold in (1.5, 0.6, -0.5)]
    none, some, many = (result["shapes"] for _, result in runs)
    assert none == [] and len(some) == 2 and len(many) > 50
    assert len({path for path, _ in runs}) == 3 and all(os.path.exists(path) for path, _ in runs)
    boxes = [sum(s["bboxCoord"], []) for s in many]
    assert not any(templateMatcher.overlaps(a, b) for i, a in enumerate(boxes) for b in boxes[i + 1 :])
    assert not any(templateMatcher.overlaps(a, [10, 10, 10 + SIDE, 10 + SIDE]) for a in boxes)
    with pytest.raises(ValueError, match="Cannot read the image .*missing.png"):
        templateMatcher.TemplateMatcher(template_url, "file://" + str(tmp_path / "missing.png"))
    (tmp_path / "text.png").write_text("not an image")
    with pytest.raises(ValueError, match="cannot decode|not an image"):
        templateMatcher.TemplateMatcher(template_url, "file://" + str(tmp_path / "text.png"))
    with pytest.raises(ValueError, match="Not a local file URL"):
        templateMatcher.TemplateMatcher("http://example.org/t.json", image_url)
    (tmp_path / "bad.json").write_text('{"imageName": "x", "shapes": []}')
    with pytest.raises(ValueError, match="imageIndex"):
        templateMatcher.TemplateMatcher("file://" + str(tmp_path / "bad.json"), image_url)
