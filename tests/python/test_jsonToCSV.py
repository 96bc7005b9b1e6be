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


def save(source, target):
    jsonToCSV.JsonToCSV(source).save_dataframe(str(target))


def test_one_row_per_shape_awkward_labels_survive_and_formulas_are_neutralised(tmp_path):
    labels = ["plain", "a, b", 'say "hi"', "two\nlines", "čšž 猫", "", "a=b", "'quoted"]
    formulas = ['=HYPERLINK("http://x")', "@SUM(1+1)", "+1", "-2", "\tx", "\ry"]
    points = [[[-k, 2.5], [10 + k, 1e300], [99, 99]] for k in range(len(labels + formulas))]
    shapes = [{"label": label, "bboxCoord": p} for label, p in zip(labels + formulas, points)]
    name = "=cmd|' /C calc'!A0.png"
    source = write(tmp_path / "boxes.json", {"imageName": name, "imageIndex": 3, "shapes": shapes, "extra": 1})
    target = tmp_path / "out.csv"
    target.write_text("old", encoding="utf-8")
    save(source, target)
    with open(target, newline="", encoding="utf-8") as stream:
        rows = list(csv.reader(stream))
    # Numbers stay numbers; texts a spreadsheet would run get a leading quote.
    shown = labels + ["'" + formula for formula in formulas]
    assert rows[1:] == [["'" + name, "3", text, str(-k), "2.5", str(10 + k), "1e+300"] for k, text in enumerate(shown)]
    assert sorted(p.name for p in tmp_path.iterdir()) == ["boxes.json", "out.csv"]
    assert json.loads((tmp_path / "boxes.json").read_text(encoding="utf-8"))["shapes"] == shapes


def test_malformed_files_are_refused_with_the_fault_named(tmp_path):
    one = {"imageName": "x", "imageIndex": 0}
    for data, fault in [
        ([], "object"),
        ({"imageIndex": 0, "shapes": []}, "imageName"),
        ({"imageName": "x", "imageIndex": "0", "shapes": []}, "imageIndex"),
        ({**one, "shapes": [{"bboxCoord": [[0, 0], [1, 1]]}]}, "label"),
        ({**one, "shapes": [{"label": "a", "bboxCoord": [[0, 0]]}]}, "two points"),
        ({**one, "shapes": [{"label": "a", "bboxCoord": [[0, "1"], [1, 1]]}]}, "number"),
    ]:
        with pytest.raises(ValueError, match=fault):
            jsonToCSV.JsonToCSV(write(tmp_path / "boxes.json", data))


def test_an_existing_file_is_replaced_as_the_json_save_does(tmp_path):
    source = write(tmp_path / "boxes.json", {"imageName": "x", "imageIndex": 0, "shapes": []})
    private, target, locked, link = (tmp_path / n for n in ("private.csv", "target.csv", "locked.csv", "link.csv"))
    for path, mode in ((private, 0o600), (target, 0o640), (locked, 0o444)):
        path.write_text("old")
        path.chmod(mode)
    link.symlink_to(target)
    for path in (private, link):
        save(source, path)
    # Empty shapes give only the header.
    assert private.stat().st_mode & 0o777 == 0o600 and private.read_bytes() == HEADER
    assert link.is_symlink() and target.stat().st_mode & 0o777 == 0o640 and target.read_bytes() == HEADER
    with pytest.raises(PermissionError, match="read-only"):
        save(source, locked)
    assert locked.read_text() == "old"
    # A write cut short by the file-size limit keeps the earlier file.
    shape = {"label": "x" * 9000, "bboxCoord": [[0, 0], [1, 1]]}
    big = write(tmp_path / "big.json", {"imageName": "x", "imageIndex": 0, "shapes": [shape]})
    limit = resource.getrlimit(resource.RLIMIT_FSIZE)
    handler = signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (4096, limit[1]))
    try:
        with pytest.raises(OSError, match="too large"):
            save(big, private)
    finally:
        resource.setrlimit(resource.RLIMIT_FSIZE, limit)
        signal.signal(signal.SIGXFSZ, handler)
    assert private.read_bytes() == HEADER
    for unwritable in (tmp_path / "missing" / "out.csv", tmp_path):
        with pytest.raises(OSError):
            save(source, unwritable)
    assert sorted(p.name for p in tmp_path.iterdir()) == [
        "big.json", "boxes.json", "link.csv", "locked.csv", "private.csv", "target.csv"]
