#!/usr/bin/python3
"""Plants realistic faults in the program one at a time and records which ones the tests catch.

    seed_faults.py BUILD_DIR [--only ID,ID...] [--json OUT] [--jobs N] [--timeout S]
    seed_faults.py --compare BEFORE.json AFTER.json
    seed_faults.py --list

For each fault: the file is changed, the build rebuilt and the whole test suite run; a fault is
caught when some test fails (or the run overruns its time). The file is always put back as it was,
and its time stamp moved on so that the next build compiles it again.
"""

import argparse
import json
import os
import re
import signal
import subprocess
import sys
import time
from collections import namedtuple

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

Fault = namedtuple("Fault", "id path old new description")

FAULTS = [
    # The model: box and image records, rounding, the JSON box file.
    Fault("M01", "src/model/BoundingBoxProperty.cpp",
          "void BoundingBoxProperty::setStartLocation(Point p)\n{\n    announce();\n    announce();\n",
          "void BoundingBoxProperty::setStartLocation(Point p)\n{\n    announce();\n",
          "moving a box's start corner announces once instead of twice"),
    Fault("M02", "src/model/BoundingBoxProperty.cpp",
          "    m_endLocation = p;\n    setOriginalEndLoc(scaledToOriginalEndLoc(m_imageScale));",
          "    m_endLocation = p;\n    setOriginalEndLoc(scaledToOriginalStartLoc(m_imageScale));",
          "writing the end corner recomputes the pixel end corner from the start corner"),
    Fault("M03", "src/model/BoundingBoxProperty.cpp",
          "    m_originalEndLoc = scaledToOriginalEndLoc(m_imageScale);",
          "    m_originalEndLoc = scaledToOriginalEndLoc(m_scaleFactor);",
          "a new box takes its pixel end corner at its scale factor instead of the image's zoom"),
    Fault("M04", "src/model/BoundingBoxProperty.cpp",
          "void BoundingBoxProperty::setToShow(bool show)\n{\n    announce();\n",
          "void BoundingBoxProperty::setToShow(bool show)\n{\n",
          "hiding or showing a box is not announced"),
    Fault("M05", "src/model/ImageProperty.cpp",
          "    originalWidth = size.width();\n    originalHeight = size.height();",
          "    originalWidth = size.height();\n    originalHeight = size.width();",
          "an image's pixel width and height are read swapped"),
    Fault("M06", "src/model/ImageProperty.cpp",
          "QFileInfo(imagePath.toLocalFile()).fileName();",
          "QFileInfo(imagePath.toLocalFile()).baseName();",
          "an image's name loses its extension"),
    Fault("M07", "src/model/Rounding.cpp",
          "return std::round(x * f) / f;",
          "return std::floor(x * f) / f;",
          "rounding to decimals truncates instead of rounding halves away from zero"),
    Fault("M08", "src/model/Rounding.cpp",
          "            v /= 255.0;",
          "            v /= 256.0;",
          "scaling pixel values to 0..1 divides by 256"),
    Fault("M09", "src/model/JSONData.cpp",
          'append(R"(,"imageIndex":)", 14);',
          'append(R"(,"imageindex":)", 14);',
          "the JSON box file is written with the key \"imageindex\""),
    Fault("M10", "src/model/JSONData.cpp",
          "if (std::trunc(value) == value && value > -twoTo63 && value < twoTo63)",
          "if (value > -twoTo63 && value < twoTo63)",
          "a fractional imageIndex such as 1.5 is read as a whole number"),
    Fault("M11", "src/model/JSONData.cpp",
          "        if (k > 0)\n            *p++ = ',';\n",
          "        if (k > 1)\n            *p++ = ',';\n",
          "the two numbers of a written point lose the comma between them"),
    Fault("M12", "src/model/ImageProperty.cpp",
          "    if (originalWidth * originalHeight > maxPixels)\n        readError",
          "    if (originalWidth + originalHeight > maxPixels)\n        readError",
          "the size limit on opened images adds width and height instead of multiplying"),

    # The view-model: the named operations of the box and image managers, settings.
    Fault("V01", "src/viewmodel/BoundingBoxManagerGestures.cpp",
          "    currentSelectedBox.set(box);\n    emit selectionChanged();\n",
          "    currentSelectedBox.set(box);\n",
          "selecting a box does not signal the selection change"),
    Fault("V02", "src/viewmodel/BoundingBoxManagerGestures.cpp",
          "std::max(0.0, s.x + d.width)",
          "s.x + d.width",
          "a moved box may leave the image on the left"),
    Fault("V03", "src/viewmodel/BoundingBoxManagerGestures.cpp",
          "std::min(h - e.y + s.y, ",
          "std::min(w - e.y + s.y, ",
          "moving a box limits its vertical position by the image's width"),
    Fault("V04", "src/viewmodel/BoundingBoxManagerGestures.cpp",
          "    if (corner == BoxCorner::Start)\n",
          "    if (corner == BoxCorner::End)\n",
          "setting a corner writes the other corner"),
    Fault("V05", "src/viewmodel/BoundingBoxManagerGestures.cpp",
          "allowed = s.y - step > 0;",
          "allowed = s.y - step >= 0;",
          "nudging up may bring the box's edge onto the image's top border"),
    Fault("V06", "src/viewmodel/BoundingBoxManagerGestures.cpp",
          "allowed = e.x + step < displayed.width;",
          "allowed = e.x + step < displayed.height;",
          "nudging right is limited by the image's height"),
    Fault("V07", "src/viewmodel/BoundingBoxManagerGestures.cpp",
          "    appendBox(pasted, imageIndex, false);\n    currentSelectedBox.set(pasted);\n",
          "    appendBox(pasted, imageIndex, false);\n",
          "a pasted box is not selected"),
    Fault("V08", "src/viewmodel/BoundingBoxManager.cpp",
          "    undoStack.modify([&](auto& stack) { stack.push_back({ index, imageIndex, box }); });\n",
          "",
          "deleting a box does not record it for Undo Delete"),
    Fault("V09", "src/viewmodel/BoundingBoxManagerGestures.cpp",
          "const UndoEntry entry = undoStack.get().back();",
          "const UndoEntry entry = undoStack.get().front();",
          "Undo Delete restores the oldest deletion instead of the latest"),
    Fault("V10", "src/viewmodel/ImageManager.cpp",
          "    allOffset.modify(eraseAt);\n",
          "",
          "removing an image leaves its pan offset behind, out of step with the images"),
    Fault("V11", "src/viewmodel/ImageManager.cpp",
          "currentImageIndex.set(std::max<std::int64_t>(currentImageIndex - 1, 0));",
          "currentImageIndex.set(currentImageIndex - 1);",
          "removing the first image leaves the current index at -1"),
    Fault("V12", "src/viewmodel/ImageManager.cpp",
          "    m_boxes.deleteBoxForImage(index);\n",
          "",
          "removing an image keeps its box list, so later images get the wrong boxes"),
    Fault("V13", "src/viewmodel/ImageManager.cpp",
          "if (!(zoom > minimumZoom && zoom < maximumZoom))",
          "if (!(zoom > minimumZoom))",
          "zooming in has no upper limit"),
    Fault("V14", "src/viewmodel/ImageManager.cpp",
          "image.scaledHeight = image.originalHeight * zoom;",
          "image.scaledHeight = image.originalWidth * zoom;",
          "the displayed height of a zoomed image is computed from its width"),
    Fault("V15", "src/viewmodel/ImageManager.cpp",
          "    allPreviousScaleFactors.modify([&](auto& v) { v[i] = magnification; });\n",
          "",
          "a pinch measures every change from its start, so it zooms by the product of all changes"),
    Fault("V16", "src/viewmodel/BoundingBoxManager.cpp",
          "            if (!box->toShow())\n                continue;\n",
          "",
          "the class counts include deleted (hidden) boxes"),
    Fault("V17", "src/viewmodel/BoundingBoxManager.cpp",
          "counts.insert(key, Tally { label, 1 });",
          "counts.insert(key, Tally { label, 0 });",
          "each class is counted one short"),
    Fault("V18", "src/viewmodel/BoundingBoxManager.cpp",
          "    for (std::int64_t i = 0; i < n; ++i)\n        total += getVisibleCount(i);",
          "    for (std::int64_t i = 0; i < n - 1; ++i)\n        total += getVisibleCount(i);",
          "the total count of shown boxes skips the last image"),
    Fault("V19", "src/viewmodel/MatchSetting.cpp",
          "pythonLibrary.set(storedText(settings, pythonLibraryKey));",
          "pythonLibrary.set(storedText(settings, pythonPathKey));",
          "the scripts folder setting is read from the Python library key"),
    Fault("V20", "src/viewmodel/BoundingBoxManager.cpp",
          "box->setScaleFactor(std::max(0.3, box->scaleFactor() * factor));",
          "box->setScaleFactor(box->scaleFactor() * factor);",
          "a box's scale factor has no lower limit when zooming out"),
    Fault("V21", "src/viewmodel/ImageManager.cpp",
          "    m_boxes.deleteBoxForImage(index);",
          "    m_boxes.deleteBoxForImage(index > 0 ? index - 1 : index);",
          "removing an image drops the box list of the image before it"),

    # The Python runtime and bridge: which scripts are imported, exchange files, the matched result.
    Fault("B01", "src/model/templatematching/PythonBridge.cpp",
          "const QString folder = chosen.isEmpty() ? QStringLiteral(KESTRUNE_PYTHON_DIR) : chosen;",
          "const QString folder = QStringLiteral(KESTRUNE_PYTHON_DIR);",
          "a chosen scripts folder is ignored: the bundled scripts always run"),
    Fault("B02", "src/model/templatematching/PythonBridge.cpp",
          'for (const char* module : { "packageInstaller", "templateMatcher", "jsonToCSV" })',
          'for (const char* module : { "packageInstaller", "jsonToCSV" })',
          "after a change of scripts folder the template matcher imported before stays in use"),
    Fault("B03", "src/model/templatematching/ScriptRun.cpp",
          "    m_failure = std::move(failure);\n",
          "",
          "a Python exception in a script is not reported as a failure"),
    Fault("B04", "src/model/templatematching/PythonBridge.cpp",
          "const PyRef value = py.number(threshold);",
          "const PyRef value = py.number(1.0 - threshold);",
          "the matcher is given one minus the threshold"),
    Fault("B05", "src/viewmodel/BoundingBoxManagerJson.cpp",
          "        if (box->markTemplate())\n            templates.push_back(box);",
          "        if (!box->markTemplate())\n            templates.push_back(box);",
          "taking a match result keeps the earlier matched boxes and drops the templates"),
    Fault("B06", "src/viewmodel/BoundingBoxManagerJson.cpp",
          "    if (!boxesOf(i)) {\n",
          "    if (i >= std::int64_t(allBoundingBoxes.get().size())) {\n",
          "a match result with a negative imageIndex is not refused"),
    Fault("B07", "src/viewmodel/ExchangeFile.cpp",
          "if (claims().value(path) != claim)",
          "if (claims().value(path) == claim)",
          "an exchange file is removed only when a later run claimed it, not after its own run"),
    Fault("B08", "src/viewmodel/ExchangeFile.cpp",
          "QStringLiteral(\"image\") : pieces.first();",
          "QStringLiteral(\"image\") : pieces.last();",
          "the exchange file is named after the image's extension, so images of one kind share it"),
    Fault("B09", "src/model/templatematching/PythonBridge.cpp",
          'py.call(py.attr(path, "insert", QStringLiteral("sys.path")), { &first, &entry },',
          'py.call(py.attr(path, "append", QStringLiteral("sys.path")), { &entry },',
          "the chosen scripts folder goes last on the module search path, after same-named modules"),

    # The bundled Python scripts.
    Fault("P01", "python/templateMatcher.py",
          "    above = scores >= threshold\n",
          "    above = scores <= threshold\n",
          "the matcher keeps scores below the threshold instead of at or above it"),
    Fault("P02", "python/templateMatcher.py",
          "                th, tw = pixels.shape\n",
          "                tw, th = pixels.shape\n",
          "matched boxes of a non-square template get its width and height swapped"),
    Fault("P03", "python/templateMatcher.py",
          "    smaller = min((a[2] - a[0]) * (a[3] - a[1]), (b[2] - b[0]) * (b[3] - b[1]))",
          "    smaller = max((a[2] - a[0]) * (a[3] - a[1]), (b[2] - b[0]) * (b[3] - b[1]))",
          "overlap is measured against the larger box, so a small box inside a large one survives"),
    Fault("P04", "python/templateMatcher.py",
          "scores = cv2.matchTemplate(image[low : high + th - 1], template, cv2.TM_CCOEFF_NORMED)",
          "scores = cv2.matchTemplate(image[low : high], template, cv2.TM_CCOEFF_NORMED)",
          "a strip's image rows end where its score rows end: matches in its last template-height rows are lost"),
    Fault("P05", "python/jsonToCSV.py",
          'FORMULA_STARTS = ("=", "+", "-", "@", "\\t", "\\r")',
          'FORMULA_STARTS = ("=", "+")',
          "CSV cells starting with -, @, tab or carriage return are not neutralised"),
    Fault("P06", "python/jsonToCSV.py",
          'name, index = _text(self.data["imageName"]), self.data["imageIndex"]',
          'name, index = self.data["imageName"], self.data["imageIndex"]',
          "the image name column is not neutralised against formulas"),
    Fault("P07", "python/jsonToCSV.py",
          "yield [name, index, _text(shape[\"label\"]), x1, y1, x2, y2]",
          "yield [name, index, _text(shape[\"label\"]), x1, x2, y1, y2]",
          "CSV rows give x1, x2, y1, y2 under the columns x1, y1, x2, y2"),
    Fault("P08", "python/templateMatcher.py",
          "top, bottom = sorted((clamp(ya, height), clamp(yb, height)))",
          "top, bottom = sorted((clamp(ya, width), clamp(yb, width)))",
          "template boxes are clamped vertically to the image's width"),
    Fault("P09", "python/templateMatcher.py",
          "kept = suppress(candidates, [box for _, box, _ in templates], cell)",
          "kept = suppress(candidates, [], cell)",
          "a template matches itself: a box is added on top of each template box"),
    Fault("P10", "python/jsonToCSV.py",
          "os.O_EXCL, 0o666)",
          "os.O_EXCL, 0o600)",
          "a new CSV file is readable by its owner alone, unlike a new JSON file"),

    # The views.
    Fault("W01", "src/view/canvas/PointView.cpp",
          "return dx * dx + dy * dy <= r * r;",
          "return dx * dx + dy * dy <= r;",
          "a corner handle is hit only within the square root of its radius"),
    Fault("W02", "src/view/canvas/BoxView.cpp",
          "if (QLineF(m_press->position, event->position()).length() < dragMinimumDistance)",
          "if (QLineF(m_press->position, event->position()).length() > dragMinimumDistance)",
          "a box drag starts on a tiny move and never on a real one"),
    Fault("W03", "src/view/canvas/BoxView.cpp",
          "        if (!box.toShow())\n            continue;\n        const Layout layout = layoutOf(box);\n",
          "        const Layout layout = layoutOf(box);\n",
          "deleted (hidden) boxes still take clicks"),
    Fault("W04", "src/view/canvas/PointView.cpp",
          "std::min(m_endLocRect.y, std::max(0.0, location.y))",
          "std::min(m_endLocRect.x, std::max(0.0, location.y))",
          "dragging the start handle limits y by the end corner's x"),
    Fault("W05", "src/view/canvas/PointView.cpp",
          "m_endLocRect = { std::min(w, std::max(m_startLocRect.x, location.x)),",
          "m_endLocRect = { std::max(m_startLocRect.x, location.x),",
          "dragging the end handle may take it beyond the image's right edge"),
    Fault("W06", "src/view/canvas/DisplayImageView.cpp",
          "m_startLocRect, m_endLocRect, m_boundingBoxClassLabel, 1.0, current->zoom, true, true);",
          "m_startLocRect, m_endLocRect, m_boundingBoxClassLabel, 1.0, current->zoom, true, false);",
          "a drawn box is not marked as a template"),
    Fault("W07", "src/view/canvas/DisplayImageView.cpp",
          "    if (imageRect().contains(location))\n        m_shared.boundingBoxManager.clearSelection();",
          "    if (!imageRect().contains(location))\n        m_shared.boundingBoxManager.clearSelection();",
          "a click on the image dims the selection and a click beside it clears it, instead of the reverse"),
    Fault("W08", "src/view/canvas/BoxInfoField.cpp",
          "setCoordinateText(m_yStart, numberText(m_box->originalStartLoc().y));",
          "setCoordinateText(m_yStart, numberText(m_box->originalStartLoc().x));",
          "the box editor's start y field shows the start x"),
    Fault("W09", "src/view/canvas/BoxInfoField.cpp",
          "m_saveButton->setEnabled(!m_label->text().isEmpty() && currentImageOfBox() >= 0);",
          "m_saveButton->setEnabled(currentImageOfBox() >= 0);",
          "the box editor's Save is enabled with an empty class label"),
    Fault("W10", "src/view/functionality/details/BoxDetailsView.cpp",
          "numberText(roundDecimal(location.x, PrecisionRoundingRule::Ones))",
          "numberText(roundDecimal(location.x, PrecisionRoundingRule::Zeros))",
          "the details panel shows the x of a corner rounded to whole pixels"),
    Fault("W11", "src/view/functionality/details/BoxDetailsView.cpp",
          'box->markTemplate() ? QStringLiteral("True") : QStringLiteral("False")',
          'box->markTemplate() ? QStringLiteral("False") : QStringLiteral("True")',
          "the details panel's Template row says the opposite"),
    Fault("W12", "src/view/functionality/details/BoxDetailsView.cpp",
          "images.currentImageIndex, direction, images.currentZoom(), images.currentDisplayedSize());",
          "images.currentImageIndex, direction, 1.0, images.currentDisplayedSize());",
          "a nudge from the details panel forgets the image's zoom"),
    Fault("W13", "src/view/functionality/details/ClassBarChart.cpp",
          "setFixedWidth(std::max(minimumWidth, widthPerClass * count));",
          "setFixedWidth(std::min(minimumWidth, widthPerClass * count));",
          "the bar chart never grows wider with more classes"),
    Fault("W14", "src/view/functionality/details/ClassStatisticsView.cpp",
          "[](const auto& a, const auto& b) { return a.first > b.first; }",
          "[](const auto& a, const auto& b) { return a.first < b.first; }",
          "the class table and chart are sorted in the reverse order"),
    Fault("W15", "src/view/functionality/details/ImageDetailsView.cpp",
          "m_rows[BoxCountRow]->setValue(\n"
          "            QString::number(m_shared.boundingBoxManager.getVisibleCount(images.currentImageIndex)));",
          "m_rows[BoxCountRow]->setValue(\n"
          "            QString::number(m_shared.boundingBoxManager.getTotalVisibleCount()));",
          "the image's box count shows the count over all images"),
    Fault("W16", "src/view/sidebar/SidebarView.cpp",
          "Palette::blue, QStringLiteral(\"Downscales the image\"), [this] { zoom(ImageManager::zoomOutFactor); });",
          "Palette::blue, QStringLiteral(\"Downscales the image\"), [this] { zoom(ImageManager::zoomInFactor); });",
          "the sidebar's Zoom Out zooms in"),
    Fault("W17", "src/view/canvas/MatchControls.cpp",
          "settings.threshold.set(settings.threshold + 0.1);",
          "settings.threshold.set(settings.threshold - 0.1);",
          "the minus button lowers the matching threshold instead of raising it"),
    Fault("W18", "src/view/canvas/ImageNavigation.cpp",
          "if (!n || *n > m_shared.imageManager.imageCount() || *n < 1) {",
          "if (!n || *n >= m_shared.imageManager.imageCount() || *n < 1) {",
          "the last image cannot be reached by typing its number"),
    Fault("W19", "src/view/canvas/ImageNavigation.cpp",
          "return images.imageCount() > 0 && images.currentImageIndex > 0;",
          "return images.imageCount() > 0 && images.currentImageIndex >= 0;",
          "Previous is enabled on the first image"),
    Fault("W20", "src/view/sidebar/SavePopover.cpp",
          "    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())\n",
          "    if (false && !path.isEmpty() && QFileInfo(path).suffix().isEmpty())\n",
          "a file name typed without an ending is saved without .json or .csv"),

    # The application: menu commands and windows.
    Fault("A01", "src/app/MenuCommands.cpp",
          "    if (const auto image = m_shared.boundingBoxManager.undoDelete(images.imageCount()))\n"
          "        images.showImage(*image);\n",
          "    m_shared.boundingBoxManager.undoDelete(images.imageCount());\n",
          "Undo Delete does not show the image of the restored box"),
    Fault("A02", "src/app/MenuCommands.cpp",
          'm_sidebarWidget->isHidden() ? QStringLiteral("Show Sidebar") : QStringLiteral("Hide Sidebar"));',
          'm_sidebarWidget->isHidden() ? QStringLiteral("Hide Sidebar") : QStringLiteral("Show Sidebar"));',
          "the View menu's sidebar item is named the opposite of what it does"),
    Fault("A03", "src/app/MenuCommands.cpp",
          '"Paste"), { QKeySequence(Qt::CTRL | Qt::Key_V) });',
          '"Paste"), { QKeySequence(Qt::CTRL | Qt::Key_P) });',
          "Paste has the shortcut Ctrl+P instead of Ctrl+V"),
    Fault("A04", "src/app/KestruneApp.cpp",
          "*window, shared(), [this] { openWindow(); }, window->sidebar());",
          "*window, shared(), [this] { openWindow(); }, nullptr);",
          "the menu's sidebar command is not connected to the window's sidebar"),
    Fault("A05", "src/app/MenuCommands.cpp",
          "m_delete->setEnabled(selected);",
          "m_delete->setEnabled(true);",
          "Delete is enabled with no box selected"),
]


class Interrupted(Exception):
    pass


def on_signal(signum, _frame):
    raise Interrupted("signal %d" % signum)


def say(text):
    print(text, flush=True)


def check_table(faults):
    """The faults whose old text is missing or not unique, with the reason."""
    problems = {}
    ids = [f.id for f in faults]
    for f in faults:
        if ids.count(f.id) > 1:
            problems[f.id] = "the id is used more than once"
            continue
        if not (f.path.startswith("src/") or f.path.startswith("python/")):
            problems[f.id] = "%s is not under src/ or python/" % f.path
            continue
        full = os.path.join(ROOT, f.path)
        if not os.path.isfile(full):
            problems[f.id] = "%s does not exist" % f.path
            continue
        with open(full, encoding="utf-8") as stream:
            count = stream.read().count(f.old)
        if count != 1:
            problems[f.id] = "its old text occurs %d times in %s, not once" % (count, f.path)
        elif f.old == f.new:
            problems[f.id] = "its new text is its old text"
    return problems


def dirty_files(paths):
    out = subprocess.run(["git", "-C", ROOT, "status", "--porcelain", "--"] + sorted(set(paths)),
                         capture_output=True, text=True, check=True).stdout
    return [line[3:] for line in out.splitlines() if line.strip()]


def kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    process.wait()


def run(command, timeout):
    """(exit code or None on timeout, output). The command runs in a process group of its own, so a
    timeout or an interruption ends it with all its children."""
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                               errors="replace", start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output
    except subprocess.TimeoutExpired:
        kill_group(process)
        return None, ""
    except BaseException:
        kill_group(process)
        raise


def build(build_dir, jobs):
    return run(["cmake", "--build", build_dir, "-j", str(jobs)], 1800)


def failed_tests(output):
    names = []
    seen = False
    for line in output.splitlines():
        if "The following tests FAILED" in line:
            seen = True
            continue
        match = re.match(r"\s*\d+\s+-\s+(\S+)\s+\(", line) if seen else None
        if match:
            names.append(match.group(1))
    return names


def ctest(build_dir, jobs, timeout, names=None):
    command = ["ctest", "--test-dir", build_dir, "-j", str(jobs)]
    if names:
        command += ["-R", "^(%s)$" % "|".join(re.escape(n) for n in names)]
    code, output = run(command, timeout)
    if code is None:
        return None
    failed = failed_tests(output)
    return failed if failed or code == 0 else ["(ctest exit %d)" % code]


def test(build_dir, jobs, timeout):
    """(status, tests that failed twice, tests that failed once and then passed). The end-to-end
    tests can fail once on a loaded machine; a test counts only when it fails again on its own."""
    first = ctest(build_dir, jobs, timeout)
    if first is None:
        return "timeout", [], []
    if not first:
        return "missed", [], []
    again = ctest(build_dir, jobs, timeout, [n for n in first if not n.startswith("(")])
    if again is None:
        return "timeout", first, []
    confirmed = [n for n in first if n in again or n.startswith("(")]
    flaky = [n for n in first if n not in confirmed]
    return ("caught" if confirmed else "missed"), confirmed, flaky


def restore(full, original, mtime):
    # Signals wait until the file is whole again.
    blocked = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM, signal.SIGHUP})
    try:
        with open(full, "w", encoding="utf-8", newline="") as stream:
            stream.write(original)
        # Later than both the faulty file and anything built from it: the next build compiles it again.
        stamp = max(time.time(), mtime + 2)
        os.utime(full, (stamp, stamp))
    finally:
        signal.pthread_sigmask(signal.SIG_SETMASK, blocked)


def seed(fault, build_dir, jobs, timeout):
    full = os.path.join(ROOT, fault.path)
    with open(full, encoding="utf-8", newline="") as stream:
        original = stream.read()
    started = time.time()
    try:
        with open(full, "w", encoding="utf-8", newline="") as stream:
            stream.write(original.replace(fault.old, fault.new, 1))
        code, output = build(build_dir, jobs)
        if code != 0:
            result = {"status": "build-broken", "tests": [], "detail": "\n".join(output.splitlines()[-15:])}
        else:
            status, names, flaky = test(build_dir, jobs, timeout)
            result = {"status": status, "tests": names, "flaky": flaky}
    finally:
        restore(full, original, os.stat(full).st_mtime)
    result["seconds"] = round(time.time() - started, 1)
    return result


def run_all(args):
    build_dir = os.path.abspath(args.build_dir)
    faults = FAULTS
    if args.only:
        wanted = [s.strip() for s in args.only.split(",") if s.strip()]
        unknown = [w for w in wanted if w not in {f.id for f in FAULTS}]
        if unknown:
            sys.exit("Unknown fault ids: " + ", ".join(unknown))
        faults = [f for f in FAULTS if f.id in wanted]
    problems = check_table(faults)
    for fid, reason in problems.items():
        say("%s refused: %s" % (fid, reason))
    dirty = dirty_files([f.path for f in FAULTS])
    if dirty:
        sys.exit("Refusing to run: these files differ from the last commit (a fault left behind?): "
                 + ", ".join(dirty))

    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, on_signal)

    say("Baseline: building and running every test in %s" % build_dir)
    code, output = build(build_dir, args.jobs)
    if code != 0:
        sys.exit("Refusing to run: the build fails without any fault:\n" + output[-3000:])
    status, names, flaky = test(build_dir, args.jobs, args.timeout)
    if flaky:
        say("Baseline: %s failed once and passed when run again" % ", ".join(flaky))
    if status != "missed":
        sys.exit("Refusing to run: the tests do not pass without any fault (%s: %s)"
                 % (status, ", ".join(names)))

    results = {}
    try:
        for fault in faults:
            if fault.id in problems:
                results[fault.id] = {"status": "refused", "tests": [], "detail": problems[fault.id]}
            else:
                results[fault.id] = seed(fault, build_dir, args.jobs, args.timeout)
            r = results[fault.id]
            r["description"] = fault.description
            r["path"] = fault.path
            flaky = "  [failed once, then passed: %s]" % " ".join(r["flaky"]) if r.get("flaky") else ""
            if is_caught(r):
                say("%s %-7s %s  (%.0f s)%s" % (fault.id, r["status"], " ".join(r["tests"]), r["seconds"], flaky))
            else:
                say("%s %s  %s%s" % (fault.id, r["status"].upper(), r.get("detail", fault.description), flaky))
            if args.json:
                write_json(args.json, results)
    except Interrupted as stop:
        say("Stopped by %s; the file of the running fault was restored." % stop)
    finally:
        # The build left matching the sources again.
        build(build_dir, args.jobs)

    counts = {}
    for r in results.values():
        counts[r["status"]] = counts.get(r["status"], 0) + 1
    caught = counts.get("caught", 0) + counts.get("timeout", 0)
    say("Summary: %d faults, %d caught (%d by a timeout), %d missed, %d build-broken, %d refused"
        % (len(results), caught, counts.get("timeout", 0), counts.get("missed", 0),
           counts.get("build-broken", 0), counts.get("refused", 0)))
    if args.json:
        write_json(args.json, results)
    return 0


def write_json(path, results):
    with open(path, "w", encoding="utf-8") as stream:
        json.dump(results, stream, indent=1, sort_keys=True)
        stream.write("\n")


def is_caught(result):
    return result.get("status") in ("caught", "timeout")


def compare(before_path, after_path):
    with open(before_path, encoding="utf-8") as stream:
        before = json.load(stream)
    with open(after_path, encoding="utf-8") as stream:
        after = json.load(stream)
    lost = [fid for fid in sorted(before) if is_caught(before[fid]) and not is_caught(after.get(fid, {}))]
    for fid in lost:
        state = after.get(fid, {}).get("status", "not run")
        say("%s caught before (%s), %s after: %s"
            % (fid, " ".join(before[fid].get("tests", [])), state, before[fid].get("description", "")))
    say("%d of %d faults caught before are no longer caught"
        % (len(lost), sum(1 for r in before.values() if is_caught(r))))
    return 1 if lost else 0


def list_table():
    problems = check_table(FAULTS)
    for f in FAULTS:
        note = "  [refused: %s]" % problems[f.id] if f.id in problems else ""
        say("%s  %-52s %s%s" % (f.id, f.path, f.description, note))
    say("%d faults" % len(FAULTS))
    return 1 if problems else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir", nargs="?")
    parser.add_argument("--only", help="comma-separated fault ids")
    parser.add_argument("--json", help="write the results here")
    parser.add_argument("--jobs", type=int, default=4)
    parser.add_argument("--timeout", type=float, default=240, help="seconds for one run of the tests")
    parser.add_argument("--compare", nargs=2, metavar=("BEFORE", "AFTER"))
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    if args.list:
        return list_table()
    if args.compare:
        return compare(*args.compare)
    if not args.build_dir:
        parser.error("BUILD_DIR is needed")
    return run_all(args)


if __name__ == "__main__":
    sys.exit(main())
