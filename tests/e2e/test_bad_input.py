"""Bad input: a PNG bomb, a 250-megapixel picture, scripts that loop, name files that are no box files or
hold the interpreter lock, an image replaced on disk, a save under a file-size limit, a Python that cannot
start, and SIGTERM or SIGINT in the middle of a CSV save. Each is told in a message while the window answers,
and the program goes on, or ends as Quit ends it. Controls are found on the accessibility bus."""

import glob
import json
import os
import resource
import shutil
import signal
import struct
import sys
import time
import zlib

from xsession import XSession, on_own_session_bus

PINK = (200, 30, 160)
WIDTH, HEIGHT = 20000, 12500
BUNDLED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "python")
# The file "case" beside it says what the matcher does.
MATCHER = """
import ctypes, os

HERE = os.path.dirname(os.path.abspath(__file__))

class TemplateMatcher:
    def __init__(self, template_url, image_url):
        with open(os.path.join(HERE, "case"), encoding="utf-8") as stream:
            self.kind, _, self.text = stream.read().partition(" ")

    def match_template(self, threshold):
        while self.kind == "loop":
            pass
        if self.kind == "stuck":  # native code that keeps the interpreter lock
            ctypes.PyDLL(None).sleep(int(self.text))
        self.json_file_name = self.text + "\\0x" if self.kind == "nul" else self.text
"""
# The bundled converter; while the file "slow" lies beside this one, it waits before each row.
CONVERTER = f"""
import importlib.util, os, time

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location("bundledJsonToCSV", {os.path.join(BUNDLED, "jsonToCSV.py")!r})
_bundled = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(_bundled)


class JsonToCSV(_bundled.JsonToCSV):
    def rows(self):
        for row in super().rows():
            while os.path.exists(os.path.join(HERE, "slow")):
                time.sleep(0.05)
            yield row
"""


def peak_memory(x):
    """The program's peak resident memory so far, in bytes."""
    with open(f"/proc/{x.program.pid}/status") as status:
        return next(int(line.split()[1]) * 1024 for line in status if line.startswith("VmHWM:"))


def is_pink(colour):
    return all(abs(int(colour[2 * k : 2 * k + 2], 16) - PINK[k]) <= 6 for k in range(3))


def write_pictures(home):
    import cv2
    import numpy as np

    tile = os.path.join(home, "aerial tile.jpg")
    assert cv2.imwrite(tile, np.full((HEIGHT, WIDTH, 3), PINK[::-1], np.uint8)), tile
    # A PNG header claiming 100000 x 100000 grey pixels over a little data.
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    bomb = os.path.join(home, "bomb.png")
    with open(bomb, "wb") as stream:
        stream.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 100000, 100000, 8, 0, 0, 0, 0))
                     + chunk(b"IDAT", zlib.compress(bytes(1 << 20), 9)) + chunk(b"IEND", b""))
    return tile, bomb


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as stream:
        stream.write(text)


def alert(x, title, button="OK"):
    """The text of the alert with this title, once shown, which is then answered."""
    x.wait_for_window(title)
    text = " ".join(x.wait_for(lambda: x.texts(title, "alert"), what=f"the {title!r} alert has no text"))
    x.press(button)
    x.wait_for(lambda: x.windows(f"^{title}$"), [], f"the {title!r} alert stayed")
    return text


def match_alert(x, case, scripts):
    """Runs Match with the matcher doing case, and the text of the alert it gives."""
    write(os.path.join(scripts, "case"), case)
    x.press("Match")
    return alert(x, "Match")


def hidden_csv_files(folder):
    return glob.glob(os.path.join(folder, ".kestrune-*.csv"))


def exchange_folders(x):
    return glob.glob(os.path.join(x.env["XDG_CACHE_HOME"], "kestrune-*"))


def start_with_box(x, program, picture):
    """Starts the program, opens the picture and draws a template box on it."""
    window = x.start(program)
    x.open_image(picture)
    left, top, _, _ = x.extents("Canvas", role="filler")
    x.press("Draw Rectangle")
    x.drag((left + 20, top + 20), (left + 60, top + 50))
    x.label_box("spot")
    return window


def signal_mid_csv_save(x, scripts, number):
    """A signal while the CSV converter writes: the program ends as Quit ends it, and leaves no file behind."""
    target = os.path.join(x.home, f"signalled {number}.csv")
    write(os.path.join(scripts, "slow"), "")
    x.press("Save")
    x.press("CSV")
    x.fill_in("Save CSV file", target)
    x.wait_for(lambda: hidden_csv_files(x.home), bool, "the converter did not begin its file")
    x.program.send_signal(number)
    x.program.wait(timeout=10)
    os.remove(os.path.join(scripts, "slow"))
    assert x.program.returncode == 0, f"exit status {x.program.returncode}\n" + x.program_output()
    assert not hidden_csv_files(x.home) and not os.path.exists(target), os.listdir(x.home)
    assert not exchange_folders(x), "the exchange folder stayed"


def main(program):
    with XSession(accessible=True) as x:
        tile, bomb = write_pictures(x.home)
        small = os.path.join(x.home, "small.png")
        x.run("convert", "-size", "120x90", "xc:#3C9A50", small)
        scripts = os.path.join(x.home, "my scripts")
        config = os.path.join(x.env["XDG_CONFIG_HOME"], "Kestrune", "Kestrune.conf")
        write(os.path.join(scripts, "packageInstaller.py"), "def checkPackage():\n    pass\n")
        write(os.path.join(scripts, "templateMatcher.py"), MATCHER)
        write(os.path.join(scripts, "jsonToCSV.py"), CONVERTER)
        write(config, f"[General]\npythonLibrary={scripts}\n")
        x.expected.update({"Saving the CSV file…", "Save Failed", "Match", "Python Unavailable"})

        with x.step("start"):
            window = x.start(program)

        with x.step("a PNG bomb is refused with its size named"):
            x.open_image(bomb)
            x.wait_for(x.program_output, lambda out: "100000 x 100000 pixels are more than the 250 megapixels" in out,
                       "no message names the bomb's size")
            print(f"peak memory with the bomb refused: {peak_memory(x) / 1e6:.0f} MB")
            assert peak_memory(x) < 1e9

        with x.step("a 250-megapixel picture opens and shows"):
            before = peak_memory(x)
            x.open_image(tile)
            x.press("Next")
            left, top, _, _ = x.extents("Canvas", role="filler")
            x.wait_for(lambda: x.pixel(x.screenshot(), left + 600, top + 400), is_pink, "the picture is not shown", 20)
            grown = peak_memory(x) - before
            print(f"peak memory grew by {grown / 1e6:.0f} MB for the 1000 MB picture")
            assert grown < 3 * WIDTH * HEIGHT * 4, f"the picture took {grown / 1e6:.0f} MB"

        with x.step("draw a template box"):
            x.press("Draw Rectangle")
            x.drag((left + 100, top + 100), (left + 200, top + 180))
            x.label_box("field")

        earlier = os.path.join(x.home, "after cancel.json")
        with x.step("a looping script leaves the window painted, and Cancel stops it"):
            write(os.path.join(scripts, "case"), "loop")
            x.press("Match")
            dialog = x.wait_for_window("Matching…")
            cancel = x.extents("Cancel")
            # Moved aside, the dialog uncovers the canvas, which the program paints again.
            x.xdotool("windowmove", dialog, 0, x.height - 120)
            x.wait_for(lambda: x.pixel(x.screenshot(), cancel[0] + cancel[2] // 2, cancel[1] - 10), is_pink,
                       "the uncovered canvas stays unpainted")
            x.press("Cancel")
            x.wait_until_gone(dialog)
            kept = x.saved("JSON", earlier)
            assert [s["label"] for s in json.loads(kept)["shapes"]] == ["field"], kept
            assert len(exchange_folders(x)) == 1, exchange_folders(x)

        with x.step("a result that is a pipe, a device, a 3 GB file or a name with a NUL is refused at once"):
            pipe = os.path.join(x.home, "pipe.json")
            os.mkfifo(pipe)
            sparse = os.path.join(x.home, "sparse.json")
            with open(sparse, "wb") as stream:
                stream.truncate(3 << 30)
            for case, reason in ((f"name {pipe}", "is a named pipe, not a regular file"),
                                 ("name /dev/zero", "is a character device, not a regular file"),
                                 (f"name {sparse}", "is 3.0 GB, more than the 512.0 MB"),
                                 (f"nul {earlier}", "holds a NUL character")):
                text = match_alert(x, case, scripts)
                assert reason in text and "the boxes stay as they were" in text, f"{case}: {text}"
            assert x.saved("JSON", os.path.join(x.home, "after bad results.json")) == kept

        with x.step("an image file replaced by another picture is not matched"):
            shutil.move(tile, tile + ".aside")
            shutil.copy(small, tile)
            text = match_alert(x, f"name {earlier}", scripts)
            shutil.move(tile + ".aside", tile)
            assert f"{tile} has changed since it was opened: it now has 120 x 90 pixels, not 20000 x 12500" in text \
                and "Nothing was matched" in text, text
            assert x.saved("JSON", os.path.join(x.home, "after replaced image.json")) == kept

        with x.step("a script stuck in native code: while it runs, Match and CSV say so at once"):
            write(os.path.join(scripts, "case"), "stuck 15")
            stuck_since = time.monotonic()
            x.press("Match")
            x.wait_for_window("Matching…")
            x.press("Cancel")
            assert "did not stop when it was cancelled" in alert(x, "Match")
            text = match_alert(x, f"name {earlier}", scripts)
            assert "the previous script is still running, so nothing was started" in text, text
            x.press("Save")
            x.press("CSV")
            x.fill_in("Save CSV file", os.path.join(x.home, "while stuck.csv"))
            text = alert(x, "Save Failed")
            assert "The CSV file was not saved." in text and "the previous script is still running" in text, text
            assert time.monotonic() - stuck_since < 15, "the answers waited for the stuck script"

        with x.step("once the stuck script has ended, CSV and Match work again"):
            time.sleep(max(0.0, 15.5 - (time.monotonic() - stuck_since)))
            rows = x.saved("CSV", os.path.join(x.home, "after stuck.csv")).splitlines()
            assert rows[0].startswith("imageName,") and rows[1].split(",")[2] == "field", rows
            text = match_alert(x, "name /dev/zero", scripts)
            assert "a character device" in text, text

        with x.step("Undo Delete that brings back a box of another image shows that image's number"):
            x.xdotool("mousemove", left + 150, top + 140, "click", 1)
            x.xdotool("key", "Delete")
            x.press("Previous")
            index = lambda: x.find("Image index", "text").queryText().getText(0, -1)
            x.wait_for(index, "1", "the index field after Previous")
            x.xdotool("key", "ctrl+z")
            x.wait_for(index, "2", "the index field after Undo Delete")

        with x.step("a save under a file-size limit fails with a message and keeps the earlier file"):
            hard = resource.prlimit(x.program.pid, resource.RLIMIT_FSIZE)[1]
            resource.prlimit(x.program.pid, resource.RLIMIT_FSIZE, (40, hard))
            x.press("Save")
            x.press("JSON")
            x.type_into(x.wait_for_window("Save JSON file"), earlier)
            x.xdotool("key", "Return")
            # The dialog asks in a second window of its title before it replaces the earlier file; the
            # answer must reach that window, which may not have the focus yet.
            question = x.wait_for(lambda: x.windows("^Save JSON file$"), lambda ids: len(ids) == 2,
                                  "the dialog did not ask before replacing the earlier file")
            x.xdotool("windowfocus", "--sync", max(question, key=int))
            x.xdotool("key", "y")
            text = alert(x, "Save Failed")
            resource.prlimit(x.program.pid, resource.RLIMIT_FSIZE, (hard, hard))
            assert "The JSON file was not saved." in text, text
            with open(earlier, encoding="utf-8") as stream:
                assert stream.read() == kept

        with x.step("SIGTERM during a CSV save ends the program as Quit does", ends=True):
            signal_mid_csv_save(x, scripts, signal.SIGTERM)

        with x.step("SIGINT during a CSV save ends the program as Quit does", ends=True):
            start_with_box(x, program, small)
            signal_mid_csv_save(x, scripts, signal.SIGINT)

        with x.step("Quit ends the program at once while a stuck script is left running", ends=True):
            window = start_with_box(x, program, small)
            write(os.path.join(scripts, "case"), "stuck 600")
            x.press("Match")
            x.wait_for_window("Matching…")
            x.press("Cancel")
            assert "did not stop when it was cancelled" in alert(x, "Match")
            x.xdotool("windowfocus", "--sync", window)
            x.xdotool("key", "ctrl+q")
            x.program.wait(timeout=5)
            assert x.program.returncode == 0, x.program_output()
            assert not exchange_folders(x), "the exchange folder stayed"

        # Python that cannot start: told once, and the program runs on without Match.
        for what, change in (("PYTHONHOME names a missing folder", lambda: x.env.update(PYTHONHOME="/no/such/home")),
                             ("the library path is 10 MB of relative text",
                              lambda: write(config, "[General]\npythonPath=" + "a/" * (5 << 20) + "\n"))):
            with x.step(what, ends=True):
                change()
                window = x.start(program)
                text = alert(x, "Python Unavailable")
                assert "will not work in this run" in text and len(text) < 2000, text[:3000]
                x.press("Draw Rectangle")
                x.xdotool("windowfocus", "--sync", window)
                x.xdotool("key", "ctrl+q")
                x.program.wait(timeout=10)
                assert x.program.returncode == 0, x.program_output()[-3000:]
                x.env.pop("PYTHONHOME", None)
    print("ok")


if __name__ == "__main__":
    on_own_session_bus()
    main(sys.argv[1])
