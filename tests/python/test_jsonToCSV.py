import csv
import json

import pytest

import jsonToCSV


def write(path, data):
    path.write_text(json.dumps(data), encoding="utf-8")
    return str(path)


def test_one_row_per_shape_and_awkward_labels_survive(tmp_path):
    labels = ["plain", "a, b", 'say "hi"', "two\nlines", "čšž 猫", ""]
    shapes = [{"label": label, "bboxCoord": [[k, 2.5], [10 + k, 20.25], [99, 99]]} for k, label in enumerate(labels)]
    source = write(tmp_path / "boxes.json", {"imageName": "a/b.png", "imageIndex": 3, "shapes": shapes, "extra": 1})
    target = tmp_path / "out.csv"
    target.write_text("old", encoding="utf-8")

    jsonToCSV.JsonToCSV(source).save_dataframe(str(target))

    with open(target, newline="", encoding="utf-8") as stream:
        rows = list(csv.reader(stream))
    assert rows[0] == ["imageName", "imageIndex", "label", "x1", "y1", "x2", "y2"]
    assert rows[1:] == [["a/b.png", "3", label, str(k), "2.5", str(10 + k), "20.25"] for k, label in enumerate(labels)]
    assert sorted(p.name for p in tmp_path.iterdir()) == ["boxes.json", "out.csv"]


def test_empty_shapes_give_only_the_header(tmp_path):
    source = write(tmp_path / "boxes.json", {"imageName": "x.png", "imageIndex": 0, "shapes": []})
    jsonToCSV.JsonToCSV(source).save_dataframe(str(tmp_path / "out.csv"))
    assert (tmp_path / "out.csv").read_bytes() == b"imageName,imageIndex,label,x1,y1,x2,y2\r\n"


@pytest.mark.parametrize(
    "data, fault",
    [
        ([], "object"),
        ({"imageIndex": 0, "shapes": []}, "imageName"),
        ({"imageName": "x", "imageIndex": "0", "shapes": []}, "imageIndex"),
        ({"imageName": "x", "imageIndex": 0, "shapes": [{"bboxCoord": [[0, 0], [1, 1]]}]}, "label"),
        ({"imageName": "x", "imageIndex": 0, "shapes": [{"label": "a", "bboxCoord": [[0, 0]]}]}, "two points"),
        ({"imageName": "x", "imageIndex": 0, "shapes": [{"label": "a", "bboxCoord": [[0, "1"], [1, 1]]}]}, "number"),
    ],
)
def test_malformed_files_are_refused_with_the_fault_named(tmp_path, data, fault):
    source = write(tmp_path / "boxes.json", data)
    with pytest.raises(ValueError, match=fault):
        jsonToCSV.JsonToCSV(source)


def test_a_failed_write_leaves_no_file_behind(tmp_path):
    source = write(tmp_path / "boxes.json", {"imageName": "x", "imageIndex": 0, "shapes": []})
    with pytest.raises(OSError):
        jsonToCSV.JsonToCSV(source).save_dataframe(str(tmp_path / "missing" / "out.csv"))
    (tmp_path / "folder.csv").mkdir()
    with pytest.raises(OSError):
        jsonToCSV.JsonToCSV(source).save_dataframe(str(tmp_path / "folder.csv"))
    assert sorted(p.name for p in tmp_path.iterdir()) == ["boxes.json", "folder.csv"]
