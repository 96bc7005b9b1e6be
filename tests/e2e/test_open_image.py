"""Start Kestrune, click "Add a new Image", pick a picture in the open dialog, see it on the canvas."""

import os
import sys

from xsession import XSession

PINK = "C81EA0"


def main(program):
    with XSession(1280, 800) as x:
        picture = os.path.join(x.home, "pink picture.png")
        x.run("convert", "-size", "600x400", f"xc:#{PINK}", picture)

        x.start(program)
        window = x.wait_for_window("Kestrune")
        # The canvas column starts after the sidebar, an eighth of the screen less 25.
        canvas_left = x.width // 8 - 25
        inside = (canvas_left + 300, 200)
        beyond = (canvas_left + 700, 200)
        before = x.screenshot()
        assert x.pixel(before, *inside) != PINK, "the empty canvas already shows the picture"

        # The prompt fills the empty canvas; its centre is the window's centre.
        x.click(window, x.width // 2, x.height // 2)
        dialog = x.wait_for_window("Open")
        x.type_into(dialog, picture)
        x.xdotool("key", "Return")
        x.wait_until_gone(dialog)

        seen = x.wait_for_pixel(*inside, PINK)
        assert seen == PINK, f"the picture is not on the canvas: {seen} at {inside}"
        after = x.screenshot()
        assert x.pixel(after, *beyond) != PINK, "the picture is wider than its pixels"
        assert x.running(), "the program ended:\n" + x.program_output()
    print("ok")


if __name__ == "__main__":
    main(sys.argv[1])
