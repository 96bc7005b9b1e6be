"""Converts a JSON box file into a CSV file: one row per box."""

import csv
import errno
import json
import os
import secrets
import stat

HEADER = ["imageName", "imageIndex", "label", "x1", "y1", "x2", "y2"]
# A spreadsheet runs a text cell that begins with one of these as a formula.
FORMULA_STARTS = ("=", "+", "-", "@", "\t", "\r")


def _text(value):
    """A text cell that a spreadsheet shows as the text it is."""
    return "'" + value if value.startswith(FORMULA_STARTS) else value


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
        name, index = _text(self.data["imageName"]), self.data["imageIndex"]
        for shape in self.data["shapes"]:
            (x1, y1), (x2, y2) = (p[:2] for p in shape["bboxCoord"][:2])
            yield [name, index, _text(shape["label"]), x1, y1, x2, y2]

    def save_dataframe(self, csv_path):
        """Writes the file whole beside its target and then moves it over the target: a link is
        written through to its target, an existing file keeps its mode, a read-only file is refused,
        and a failed write leaves the earlier file as it was."""
        target = os.path.realpath(csv_path)
        try:
            mode = stat.S_IMODE(os.stat(target).st_mode)
        except FileNotFoundError:
            mode = None
        else:
            if not mode & 0o222 or not os.access(target, os.W_OK):
                raise PermissionError(errno.EACCES, "The file is read-only", csv_path)
        folder = os.path.dirname(target)
        while True:
            temporary = os.path.join(folder, ".kestrune-%s.csv" % secrets.token_hex(6))
            try:
                # A new file gets the mode the user's umask gives.
                handle = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o666)
                break
            except FileExistsError:
                continue
            except OSError as error:
                # Named after the file asked for, not the temporary one.
                raise type(error)(error.errno, error.strerror, csv_path) from error
        try:
            with os.fdopen(handle, "w", encoding="utf-8", newline="") as stream:
                writer = csv.writer(stream)
                writer.writerow(HEADER)
                writer.writerows(self.rows())
                stream.flush()
                os.fsync(stream.fileno())
            if mode is not None:
                os.chmod(temporary, mode)
            os.replace(temporary, target)
        except BaseException:
            if os.path.exists(temporary):
                os.remove(temporary)
            raise
