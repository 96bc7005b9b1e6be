"""Finds every copy of an image's template boxes in the image.

Each template (the image region under a template box) is compared with every place of the image by
normalised cross-correlation. Every local maximum of the score at or above the threshold is a
candidate; of overlapping candidates, over all templates together, the best is kept, and a candidate
on a template box itself is dropped. Templates, and strips of the image, are matched in parallel
threads: OpenCV releases the interpreter lock while it works.
"""

import json
import math
import os
import tempfile
import urllib.parse
from concurrent.futures import ThreadPoolExecutor

import cv2
import numpy as np

from jsonToCSV import read_box_file

# Two boxes overlap when their intersection covers more than this share of the smaller one.
OVERLAP = 0.5
# Local maxima are taken over a square of this radius at most (a quarter of the template's side).
MAX_PEAK_RADIUS = 16
# A strip of the image matched by one thread has at least this many rows of scores.
MIN_STRIP_ROWS = 64


def path_from_url(text):
    """The plain path of a "file://" URL text (percent-decoded); a text without a scheme is a path."""
    parts = urllib.parse.urlsplit(text)
    if not parts.scheme:
        return text
    if parts.scheme != "file" or parts.netloc not in ("", "localhost"):
        raise ValueError("Not a local file URL: %r" % text)
    return os.fsdecode(urllib.parse.unquote_to_bytes(parts.path))


def load_grey(path):
    """The image in 8-bit grey, its pixels as stored (no EXIF rotation, like the program's view)."""
    try:
        data = np.fromfile(path, dtype=np.uint8)
    except OSError as error:
        raise ValueError("Cannot read the image %s: %s" % (path, error.strerror or error)) from error
    image = cv2.imdecode(data, cv2.IMREAD_GRAYSCALE | cv2.IMREAD_IGNORE_ORIENTATION) if data.size else None
    if image is None:
        raise ValueError("Cannot read the image %s: it is not an image OpenCV can decode" % path)
    return image


def template_box(points, width, height):
    """The pixel box (left, top, right, bottom) under two corners, ordered and clamped to the image."""
    (xa, ya), (xb, yb) = points[0][:2], points[1][:2]

    def clamp(value, limit):
        return min(max(int(math.floor(value + 0.5)), 0), limit)

    left, right = sorted((clamp(xa, width), clamp(xb, width)))
    top, bottom = sorted((clamp(ya, height), clamp(yb, height)))
    return left, top, right, bottom


def overlaps(a, b):
    width = min(a[2], b[2]) - max(a[0], b[0])
    height = min(a[3], b[3]) - max(a[1], b[1])
    if width <= 0 or height <= 0:
        return False
    smaller = min((a[2] - a[0]) * (a[3] - a[1]), (b[2] - b[0]) * (b[3] - b[1]))
    return width * height > OVERLAP * smaller


def local_maxima(image, template, threshold, radius, rows):
    """Positions (rows, columns) and scores of the local maxima at or above threshold among score
    rows [start, end); the strip is widened by the radius so maxima at its edges are exact."""
    start, end = rows
    th = template.shape[0]
    total = image.shape[0] - th + 1
    low, high = max(start - radius, 0), min(end + radius, total)
    scores = cv2.matchTemplate(image[low : high + th - 1], template, cv2.TM_CCOEFF_NORMED)
    cv2.patchNaNs(scores, -1.0)
    above = scores >= threshold
    if not above.any():
        return np.empty(0, np.intp), np.empty(0, np.intp), np.empty(0, np.float32)
    side = 2 * radius + 1
    peaks = above & (scores >= cv2.dilate(scores, np.ones((side, side), np.uint8)))
    ys, xs = np.nonzero(peaks[start - low : end - low])
    return ys + start, xs, scores[ys + start - low, xs]


def suppress(candidates, protected, cell):
    """Greedy non-maximum suppression: the best first, each kept unless it overlaps a box kept
    before it or a protected box. Boxes are bucketed in a grid of cells at least as large as any box,
    so only neighbouring cells are compared."""
    grid = {}

    def place(box):
        grid.setdefault((box[0] // cell, box[1] // cell), []).append(box)

    def clear(box):
        cx, cy = box[0] // cell, box[1] // cell
        for gx in (cx - 1, cx, cx + 1):
            for gy in (cy - 1, cy, cy + 1):
                for other in grid.get((gx, gy), ()):
                    if overlaps(box, other):
                        return False
        return True

    for box in protected:
        place(box)
    kept = []
    for score, box, label in sorted(candidates, key=lambda c: -c[0]):
        if clear(box):
            place(box)
            kept.append((box, label))
    return kept


class TemplateMatcher:
    def __init__(self, template_json_url, image_url):
        self.template_path = path_from_url(template_json_url)
        self.image_path = path_from_url(image_url)
        self.templates = read_box_file(self.template_path)
        self.image = load_grey(self.image_path)
        self.json_file_name = None

    def _templates(self):
        """(label, box, pixels) of every usable template: at least 2 x 2 pixels, not of one grey."""
        height, width = self.image.shape
        found = []
        for shape in self.templates["shapes"]:
            box = template_box(shape["bboxCoord"], width, height)
            left, top, right, bottom = box
            if right - left < 2 or bottom - top < 2:
                continue
            pixels = np.ascontiguousarray(self.image[top:bottom, left:right])
            if pixels.min() == pixels.max():
                continue
            found.append((shape["label"], box, pixels))
        return found

    def _jobs(self, templates, workers):
        """(template number, score rows) for each piece of work: a few strips per thread keep every
        thread busy to the end, and small strips are matched faster than whole images."""
        jobs = []
        strips_each = max(1, math.ceil(4 * workers / max(len(templates), 1)))
        for number, (_, _, pixels) in enumerate(templates):
            total = self.image.shape[0] - pixels.shape[0] + 1
            strips = max(1, min(strips_each, total // MIN_STRIP_ROWS))
            bounds = [round(total * k / strips) for k in range(strips + 1)]
            jobs += [(number, (bounds[k], bounds[k + 1])) for k in range(strips)]
        return jobs

    def find(self, threshold):
        """The matches as (label, (left, top, right, bottom)), in reading order."""
        templates = self._templates()
        workers = os.cpu_count() or 1
        jobs = self._jobs(templates, workers)

        def run(job):
            number, rows = job
            pixels = templates[number][2]
            radius = max(1, min(MAX_PEAK_RADIUS, min(pixels.shape) // 4))
            return number, local_maxima(self.image, pixels, threshold, radius, rows)

        candidates = []
        pool = ThreadPoolExecutor(max_workers=workers)
        try:
            for number, (ys, xs, scores) in pool.map(run, jobs):
                label, _, pixels = templates[number]
                th, tw = pixels.shape
                for y, x, score in zip(ys.tolist(), xs.tolist(), scores.tolist()):
                    candidates.append((score, (x, y, x + tw, y + th), label))
        finally:
            # When the program stops the match, the strips not yet begun are dropped.
            pool.shutdown(cancel_futures=True)
        cell = max([max(p.shape) for _, _, p in templates], default=1)
        kept = suppress(candidates, [box for _, box, _ in templates], cell)
        kept.sort(key=lambda match: (match[0][1], match[0][0], match[1]))
        return [(label, box) for box, label in kept]

    def match_template(self, threshold):
        matches = self.find(float(threshold))
        result = {
            "imageName": self.templates["imageName"],
            "imageIndex": self.templates["imageIndex"],
            "shapes": [
                {"label": label, "bboxCoord": [[left, top], [right, bottom]]}
                for label, (left, top, right, bottom) in matches
            ],
        }
        # Beside the template file: in the program's own folder, which it cleans up.
        folder = os.path.dirname(os.path.abspath(self.template_path))
        handle, path = tempfile.mkstemp(prefix="kestrune-matches-", suffix=".json", dir=folder)
        try:
            with os.fdopen(handle, "w", encoding="utf-8") as stream:
                json.dump(result, stream, ensure_ascii=False, separators=(",", ":"))
        except BaseException:
            os.remove(path)
            raise
        self.json_file_name = os.path.abspath(path)
