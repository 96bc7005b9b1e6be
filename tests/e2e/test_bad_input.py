"""Bad input in the real program: a 100000 x 100000 PNG bomb is refused with its size named and
little memory; a 250-megapixel picture opens and shows within three times its decoded size; a
matching script that loops forever leaves the window painted and stops on "Cancel" with the boxes
as they were; a save under a file-size limit fails with a message and keeps the earlier file; the
program's exchange folder goes when it quits.

Controls are found by name on the accessibility bus, so the test runs in a D-Bus session of its own.
"""

import glob
import json
import os
import resource
import struct
import sys
import time
import zlib

from test_main_road import label_box, open_image, save, step
from xsession import XSession, on_own_session_bus

PINK = (200, 30, 160)
WIDTH, HEIGHT = 20000, 12500
LOOPING_MATCHER = """
class TemplateMatcher:
    def __init__(self, template_url, image_url):
        pass

    def match_template(self, threshold):
        while True:
            pass
"""


def peak_memory(x):
    """The program's peak resident memory so far, in bytes."""
    with open(f"/proc/{x.program.pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) * 1024
    raise RuntimeError("no VmHWM")


def near(colour, rgb, tolerance=6):
    return all(abs(int(colour[2 * k : 2 * k + 2], 16) - rgb[k]) <= tolerance for k in range(3))


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


def save_expecting_failure(x, app, path):
    x.press(app, "Save")
    x.press(app, "JSON")
    dialog = x.wait_for_window("Save JSON file")
    x.type_into(dialog, path)
    x.xdotool("key", "Return")
    # The dialog asks in a window of its own title before it replaces the earlier file; the answer
    # goes to that window, which may not have the focus yet.
    question = x.wait_until(lambda: max(map(int, x.visible_windows("^Save JSON file$")))
                            if len(x.visible_windows("^Save JSON file$")) == 2 else None,
                            "the dialog did not ask before replacing the earlier file")
    x.xdotool("windowfocus", "--sync", str(question))
    x.xdotool("key", "y")
    x.wait_for_window("Save Failed")
    text = " ".join(x.texts(app, "Save Failed", "alert"))
    x.press(app, "OK")
    return text


def main(program):
    with XSession(1280, 800) as x:
        x.use_accessibility()
        tile, bomb = write_pictures(x.home)
        scripts = os.path.join(x.home, "my scripts")
        os.makedirs(scripts)
        with open(os.path.join(scripts, "packageInstaller.py"), "w") as stream:
            stream.write("def checkPackage():\n    pass\n")
        with open(os.path.join(scripts, "templateMatcher.py"), "w") as stream:
            stream.write(LOOPING_MATCHER)
        config = os.path.join(x.env["XDG_CONFIG_HOME"], "Kestrune")
        os.makedirs(config)
        with open(os.path.join(config, "Kestrune.conf"), "w") as stream:
            stream.write(f"[General]\npythonLibrary={scripts}\n")

        with step(x, "start"):
            x.start(program)
            x.wait_for_window("Kestrune")
            app = x.application("Kestrune")

        with step(x, "a PNG bomb is refused with its size named"):
            open_image(x, app, bomb)
            x.wait_until(lambda: "100000 x 100000 pixels are more than the 250 megapixels" in x.program_output(),
                         lambda: "no message names the bomb's size:\n" + x.program_output())
            print(f"peak memory with the bomb refused: {peak_memory(x) / 1e6:.0f} MB")
            assert peak_memory(x) < 1e9

        with step(x, "a 250-megapixel picture opens and shows"):
            before = peak_memory(x)
            open_image(x, app, tile)
            x.press(app, "Next")
            left, top, _, _ = x.extents(app, "Canvas", role="filler")
            inside = (left + 600, top + 400)
            x.wait_until(lambda: near(x.pixel(x.screenshot(), *inside), PINK), "the picture is not shown", 20)
            grown = peak_memory(x) - before
            print(f"peak memory grew by {grown / 1e6:.0f} MB for the 1000 MB picture")
            assert grown < 3 * WIDTH * HEIGHT * 4, f"the picture took {grown / 1e6:.0f} MB"

        with step(x, "draw a template box"):
            x.press(app, "Draw Rectangle")
            x.drag((left + 100, top + 100), (left + 200, top + 180))
            label_box(x, app, "field")

        with step(x, "a looping script leaves the window painted, and Cancel stops it"):
            x.press(app, "Match")
            dialog = x.wait_for_window("Matching…")
            cancel = x.extents(app, "Cancel")
            # Moved aside, the dialog uncovers the canvas, which the program paints again.
            centre = (cancel[0] + cancel[2] // 2, cancel[1] - 10)
            x.xdotool("windowmove", dialog, 0, x.height - 120)
            x.wait_until(lambda: near(x.pixel(x.screenshot(), *centre), PINK), "the uncovered canvas stays unpainted")
            x.press(app, "Cancel")
            x.wait_until_gone(dialog)
            saved = json.loads(save(x, app, "JSON", os.path.join(x.home, "after cancel.json")))
            assert [s["label"] for s in saved["shapes"]] == ["field"], saved
            folders = glob.glob(os.path.join(x.env["XDG_CACHE_HOME"], "kestrune-*"))
            assert len(folders) == 1, folders

        with step(x, "a save under a file-size limit fails with a message and keeps the earlier file"):
            earlier = os.path.join(x.home, "after cancel.json")
            with open(earlier, "rb") as stream:
                kept = stream.read()
            hard = resource.prlimit(x.program.pid, resource.RLIMIT_FSIZE)[1]
            resource.prlimit(x.program.pid, resource.RLIMIT_FSIZE, (40, hard))
            text = save_expecting_failure(x, app, earlier)
            resource.prlimit(x.program.pid, resource.RLIMIT_FSIZE, (hard, hard))
            assert "The JSON file was not saved." in text, text
            with open(earlier, "rb") as stream:
                assert stream.read() == kept
            assert json.loads(kept)["shapes"][0]["label"] == "field"

        # Quitting removes the exchange folder.
        x.xdotool("windowfocus", "--sync", x.find_window("Kestrune"))
        x.xdotool("key", "ctrl+q")
        x.program.wait(timeout=10)
        assert x.program.returncode == 0, x.program_output()
        assert not glob.glob(os.path.join(x.env["XDG_CACHE_HOME"], "kestrune-*")), "the exchange folder stayed"
    print("ok")


if __name__ == "__main__":
    on_own_session_bus()
    main(sys.argv[1])
