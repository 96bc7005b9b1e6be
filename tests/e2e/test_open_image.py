"""Start Kestrune, click "Add a new Image", pick a picture in the open dialog, see it on the canvas."""

import os
import sys

from xsession import XSession

PINK = "C81EA0"


def main(program):
    with XSession() as x:
        picture = os.path.join(x.home, "pink picture.png")
        x.run("convert", "-size", "600x400", f"xc:#{PINK}", picture)
        window = x.start(program)
        # The canvas column starts after the sidebar, an eighth of the screen less 25.
        canvas_left = x.width // 8 - 25
        inside, beyond = (canvas_left + 300, 200), (canvas_left + 700, 200)
        assert x.pixel(x.screenshot(), *inside) != PINK, "the empty canvas already shows the picture"

        # The prompt fills the empty canvas; its centre is the window's centre.
        x.click(window, x.width // 2, x.height // 2)
        x.fill_in("Open", picture)
        x.wait_for_pixel(*inside, PINK, "the picture is not on the canvas")
        assert x.pixel(x.screenshot(), *beyond) != PINK, "the picture is wider than its pixels"
        x.check()
    print("ok")


if __name__ == "__main__":
    main(sys.argv[1])
