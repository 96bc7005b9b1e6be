"""Open three pictures, move between them by arrow keys and tabs, open and close "All Images"."""

import os
import sys

from xsession import XSession

BLUE = "007AFF"
GRAY = "8E8E93"
BLACK = "000000"
TAB = 150  # every short name gives the narrowest tab
STEP = TAB + 2


def main(program):
    with XSession() as x:
        pictures = [os.path.join(x.home, name) for name in ("a.png", "b.png", "c.png")]
        for picture in pictures:
            x.run("convert", "-size", "300x200", "xc:#C81EA0", picture)
        window = x.start(program)
        left = x.width // 8 - 25

        def blue_row():  # the top of the blue bar
            text = x.run("convert", x.screenshot(), "-crop", f"1x200+{left + 50}+0", "+repage", "txt:-")
            rows = (int(line.split(":")[0].split(",")[1]) for line in text.splitlines()[1:]
                    if f"#{BLUE}" in line.upper())
            return next(rows, None)

        bar = x.wait_for(blue_row, lambda row: row is not None, "the blue bar did not appear", 20)
        x.click(window, x.width // 2, x.height // 2)
        x.fill_in("Open", " ".join(f'"{p}"' for p in pictures))

        tab = lambda i: (left + i * STEP + 100, bar + 10)  # noqa: E731

        def current_tab():
            shot = x.screenshot()
            colours = [x.pixel(shot, *tab(i)) for i in range(3)]
            return colours.index(GRAY) if colours.count(GRAY) == 1 and colours.count(BLACK) == 2 else colours

        x.wait_for(current_tab, 0, "the first tab is not current")
        # The arrow keys, anywhere in the window; nothing comes after the last.
        x.click(window, x.width // 2, x.height // 2)
        for keys, current in (("Right", 1), ("Right Right", 2), ("Left", 1)):
            x.xdotool("key", *keys.split())
            x.wait_for(current_tab, current, f"after {keys}, the current tab")
        x.click(window, *tab(0))  # a press on another tab makes it current
        x.wait_for(current_tab, 0, "after a press on the first tab, the current tab")

        # The current tab opens "All Images" below the strip, and a second press closes it for good.
        below = (left + 3 * STEP, bar + 40)
        canvas_colour = x.pixel(x.screenshot(), *below)
        x.click(window, *tab(0))
        x.wait_for(lambda: x.pixel(x.screenshot(), *below), lambda c: c != canvas_colour, "All Images did not open", 5)
        x.click(window, *tab(0))
        x.wait_for(lambda: x.pixel(x.screenshot(), *below), canvas_colour, "All Images stayed open", 5)
        assert x.pixel(x.screenshot(), *below) == canvas_colour, "All Images opened again"
        assert current_tab() == 0
        x.check()
    print("ok")


if __name__ == "__main__":
    main(sys.argv[1])
