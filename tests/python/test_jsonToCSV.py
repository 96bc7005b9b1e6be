import csv
import json
import resource
import signal

import pytest

import jsonToCSV


HEADER = b"imageName,imageIndex,label,x1,y1,x2,y2\r\n"


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


def test_formulas_are_neutralised_and_numbers_stay_numbers(tmp_path):
    labels = ["=HYPERLINK(\"http://x\")", "@SUM(1+1)", "+1", "-2", "\tx", "\ry", "a=b", "'quoted"]
    shapes = [{"label": label, "bboxCoord": [[-1, 2.5], [1e300, 3]]} for label in labels]
    source = write(tmp_path / "boxes.json", {"imageName": "=cmd|' /C calc'!A0.png", "imageIndex": 2, "shapes": shapes})
    jsonToCSV.JsonToCSV(source).save_dataframe(str(tmp_path / "out.csv"))
    with open(tmp_path / "out.csv", newline="", encoding="utf-8") as stream:
        rows = list(csv.reader(stream))[1:]
    assert [row[2] for row in rows] == ["'" + label for label in labels[:6]] + labels[6:]
    assert {row[0] for row in rows} == {"'=cmd|' /C calc'!A0.png"}
    assert {tuple(row[1:2] + row[3:]) for row in rows} == {("2", "-1", "2.5", "1e+300", "3")}
    assert json.loads((tmp_path / "boxes.json").read_text(encoding="utf-8"))["shapes"] == shapes


def test_an_existing_file_is_replaced_as_the_json_save_does(tmp_path):
    source = write(tmp_path / "boxes.json", {"imageName": "x", "imageIndex": 0, "shapes": []})
    private, target, locked, link = (tmp_path / n for n in ("private.csv", "target.csv", "locked.csv", "link.csv"))
    for path, mode in ((private, 0o600), (target, 0o640), (locked, 0o444)):
        path.write_text("old")
        path.chmod(mode)
    link.symlink_to(target)
    for path in (private, link):
        jsonToCSV.JsonToCSV(source).save_dataframe(str(path))
    # Empty shapes give only the header.
    assert private.stat().st_mode & 0o777 == 0o600 and private.read_bytes() == HEADER
    assert link.is_symlink() and target.stat().st_mode & 0o777 == 0o640 and target.read_bytes() == HEADER
    with pytest.raises(PermissionError, match="read-only"):
        jsonToCSV.JsonToCSV(source).save_dataframe(str(locked))
    assert locked.read_text() == "old"
    # A write cut short by the file-size limit keeps the earlier file.
    shape = {"label": "x" * 9000, "bboxCoord": [[0, 0], [1, 1]]}
    big = write(tmp_path / "big.json", {"imageName": "x", "imageIndex": 0, "shapes": [shape]})
    limit = resource.getrlimit(resource.RLIMIT_FSIZE)
    handler = signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (4096, limit[1]))
    try:
        with pytest.raises(OSError, match="too large"):
            jsonToCSV.JsonToCSV(big).save_dataframe(str(private))
    finally:
        resource.setrlimit(resource.RLIMIT_FSIZE, limit)
        signal.signal(signal.SIGXFSZ, handler)
    assert private.read_bytes() == HEADER
    for unwritable in (tmp_path / "missing" / "out.csv", tmp_path):
        with pytest.raises(OSError):
            jsonToCSV.JsonToCSV(source).save_dataframe(str(unwritable))
    names = ["big.json", "boxes.json", "link.csv", "locked.csv", "private.csv", "target.csv"]
    assert sorted(p.name for p in tmp_path.iterdir()) == names
