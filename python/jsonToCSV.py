"""Converts a JSON box file into a CSV file: one row per box."""

import csv
import json
import os
import tempfile

HEADER = ["imageName", "imageIndex", "label", "x1", "y1", "x2", "y2"]


def _number(value, where):
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise ValueError("%s is not a number: %r" % (where, value))
    return value


def read_box_file(path):
    """The box file's name, index and shapes; ValueError naming the fault when it is malformed."""
    with open(path, encoding="utf-8") as stream:
        data = json.load(stream)
    if not isinstance(data, dict):
        raise ValueError("%s does not hold a JSON object" % path)
    for key, kind in (("imageName", str), ("imageIndex", int), ("shapes", list)):
        if key not in data:
            raise ValueError("%s has no key %r" % (path, key))
        if not isinstance(data[key], kind) or isinstance(data[key], bool):
            raise ValueError("%s: %r is not a %s" % (path, key, kind.__name__))
    for number, shape in enumerate(data["shapes"]):
        where = "shapes[%d]" % number
        if not isinstance(shape, dict) or not isinstance(shape.get("label"), str):
            raise ValueError("%s: %s has no text label" % (path, where))
        points = shape.get("bboxCoord")
        if (
            not isinstance(points, list)
            or len(points) < 2
            or not all(isinstance(p, list) and len(p) >= 2 for p in points[:2])
        ):
            raise ValueError("%s: %s.bboxCoord does not hold two points of two numbers" % (path, where))
        for p in range(2):
            for k in range(2):
                _number(points[p][k], "%s.bboxCoord[%d][%d]" % (where, p, k))
    return data


class JsonToCSV:
    def __init__(self, json_path):
        self.json_path = json_path
        self.data = read_box_file(json_path)

    def rows(self):
        name, index = self.data["imageName"], self.data["imageIndex"]
        for shape in self.data["shapes"]:
            (x1, y1), (x2, y2) = (p[:2] for p in shape["bboxCoord"][:2])
            yield [name, index, shape["label"], x1, y1, x2, y2]

    def save_dataframe(self, csv_path):
        # Written beside the target and then moved over it, so a failed write keeps an earlier file.
        folder = os.path.dirname(os.path.abspath(csv_path))
        handle, temporary = tempfile.mkstemp(prefix=".kestrune-", suffix=".csv", dir=folder)
        try:
            with os.fdopen(handle, "w", encoding="utf-8", newline="") as stream:
                writer = csv.writer(stream)
                writer.writerow(HEADER)
                writer.writerows(self.rows())
            umask = os.umask(0)
            os.umask(umask)
            os.chmod(temporary, 0o666 & ~umask)
            os.replace(temporary, csv_path)
        except BaseException:
            if os.path.exists(temporary):
                os.remove(temporary)
            raise
