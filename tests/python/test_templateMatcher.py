import json
import os
import urllib.parse

import cv2
import numpy as np
import pytest

import templateMatcher
from conftest import textured

SIDE = 24


def pattern(seed):
    return np.random.default_rng(seed).integers(0, 256, (SIDE, SIDE), dtype=np.uint8)


def box(x, y, side=SIDE):
    return [[x, y], [x + side, y + side]]


def scene(folder, plants, size=(300, 400), name="scene.png"):
    """A textured image with each pattern planted at its places; the image's file URL."""
    image = textured(*size)
    for seed, places in plants.items():
        for x, y in places:
            image[y : y + SIDE, x : x + SIDE] = pattern(seed)
    path = os.path.join(folder, name)
    assert cv2.imwrite(path, image)
    return "file://" + urllib.parse.quote(path)


def templates(folder, shapes, name="templates.json"):
    path = os.path.join(folder, name)
    with open(path, "w", encoding="utf-8") as stream:
        json.dump({"imageName": "scene.png", "imageIndex": 4, "shapes": shapes}, stream)
    return "file://" + urllib.parse.quote(path)


def run(template_url, image_url, threshold=0.6):
    matcher = templateMatcher.TemplateMatcher(template_url, image_url)
    matcher.match_template(threshold)
    with open(matcher.json_file_name, encoding="utf-8") as stream:
        return matcher.json_file_name, json.load(stream)


PLANTS = {1: [(10, 10), (200, 40), (330, 250)], 2: [(60, 150), (84, 150), (250, 200)], 3: [(120, 20)]}


def test_every_copy_is_found_with_its_label_and_nothing_else(tmp_path):
    folder = tmp_path / "a folder ü"
    folder.mkdir()
    image_url = scene(str(folder), PLANTS)
    shapes = [
        {"label": "cat", "bboxCoord": box(10, 10)},
        # Reversed, fractional corners name the same pixels.
        {"label": "dog/x", "bboxCoord": [[60.4 + SIDE, 150.2 + SIDE], [59.6, 149.8]]},
        {"label": "one", "bboxCoord": box(120, 20)},
    ]
    path, result = run(templates(str(folder), shapes), image_url)

    assert os.path.isabs(path) and os.path.dirname(path) == str(folder)
    assert result["imageName"] == "scene.png" and result["imageIndex"] == 4
    found = sorted((s["label"], tuple(map(tuple, s["bboxCoord"]))) for s in result["shapes"])
    expected = sorted(
        [("cat", tuple(map(tuple, box(x, y)))) for x, y in PLANTS[1][1:]]
        # (84, 150) touches the template at (60, 150): a copy of its own, found all the same.
        + [("dog/x", tuple(map(tuple, box(x, y)))) for x, y in PLANTS[2][1:]]
    )
    assert found == expected


def test_overlapping_candidates_of_several_templates_give_one_match(tmp_path):
    image_url = scene(str(tmp_path), {1: [(10, 10), (200, 40), (300, 200)]})
    shapes = [{"label": "first", "bboxCoord": box(10, 10)}, {"label": "second", "bboxCoord": box(200, 40)}]
    _, result = run(templates(str(tmp_path), shapes), image_url)
    assert [s["bboxCoord"] for s in result["shapes"]] == [box(300, 200)]


def test_threshold_moves_the_number_of_matches(tmp_path):
    image_url = scene(str(tmp_path), PLANTS)
    template_url = templates(str(tmp_path), [{"label": "cat", "bboxCoord": box(10, 10)}])
    assert run(template_url, image_url, 1.5)[1]["shapes"] == []
    some = run(template_url, image_url, 0.6)[1]["shapes"]
    many = run(template_url, image_url, -0.5)[1]["shapes"]
    assert len(some) == 2 and len(many) > 50
    boxes = [sum(s["bboxCoord"], []) for s in many]
    assert not any(templateMatcher.overlaps(a, b) for i, a in enumerate(boxes) for b in boxes[i + 1 :])
    assert not any(templateMatcher.overlaps(a, [10, 10, 10 + SIDE, 10 + SIDE]) for a in boxes)


def test_unusable_templates_are_skipped(tmp_path):
    image = textured(100, 100)
    image[50:70, 50:70] = 128
    cv2.imwrite(str(tmp_path / "scene.png"), image)
    shapes = [
        {"label": "tiny", "bboxCoord": [[5, 5], [6, 40]]},
        {"label": "flat", "bboxCoord": [[52, 52], [68, 68]]},
        {"label": "outside", "bboxCoord": [[500, 500], [600, 600]]},
    ]
    _, result = run(templates(str(tmp_path), shapes), "file://" + str(tmp_path / "scene.png"), -1.0)
    assert result["shapes"] == []


def test_each_run_writes_a_new_file(tmp_path):
    image_url = scene(str(tmp_path), PLANTS)
    template_url = templates(str(tmp_path), [{"label": "cat", "bboxCoord": box(10, 10)}])
    first, _ = run(template_url, image_url)
    second, _ = run(template_url, image_url)
    assert first != second and os.path.exists(first) and os.path.exists(second)


def test_unreadable_inputs_are_clear_errors(tmp_path):
    image_url = scene(str(tmp_path), PLANTS)
    template_url = templates(str(tmp_path), [{"label": "cat", "bboxCoord": box(10, 10)}])
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
