"""Bad input: a PNG bomb, a 250-megapixel picture, a looping matching script, a save under a file-size
limit; the exchange folder goes on quitting. Controls are found on the accessibility bus."""

import glob
import json
import os
import resource
import struct
import sys
import zlib

from xsession import XSession, on_own_session_bus

PINK = (200, 30, 160)
WIDTH, HEIGHT = 20000, 12500
LOOPING_MATCHER = """
class TemplateMatcher:
    def __init__(self, template_url, image_url):
        pass

    def match_template(self, threshold):
        while True: pass
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


def main(program):
    with XSession(accessible=True) as x:
        tile, bomb = write_pictures(x.home)
        scripts = os.path.join(x.home, "my scripts")
        config = os.path.join(x.env["XDG_CONFIG_HOME"], "Kestrune")
        for folder, name, text in ((scripts, "packageInstaller.py", "def checkPackage():\n    pass\n"),
                                   (scripts, "templateMatcher.py", LOOPING_MATCHER),
                                   (config, "Kestrune.conf", f"[General]\npythonLibrary={scripts}\n")):
            os.makedirs(folder, exist_ok=True)
            with open(os.path.join(folder, name), "w") as stream:
                stream.write(text)

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
            folders = glob.glob(os.path.join(x.env["XDG_CACHE_HOME"], "kestrune-*"))
            assert len(folders) == 1, folders

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
            x.wait_for_window("Save Failed")
            text = " ".join(x.texts("Save Failed", "alert"))
            x.press("OK")
            resource.prlimit(x.program.pid, resource.RLIMIT_FSIZE, (hard, hard))
            assert "The JSON file was not saved." in text, text
            with open(earlier, encoding="utf-8") as stream:
                assert stream.read() == kept

        # Quitting removes the exchange folder.
        x.xdotool("windowfocus", "--sync", window)
        x.xdotool("key", "ctrl+q")
        x.program.wait(timeout=10)
        assert x.program.returncode == 0, x.program_output()
        assert not glob.glob(os.path.join(x.env["XDG_CACHE_HOME"], "kestrune-*")), "the exchange folder stayed"
    print("ok")


if __name__ == "__main__":
    on_own_session_bus()
    main(sys.argv[1])
