"""Open three pictures, then move between them with the arrow keys and the tabs, and open and
close "All Images" from the current tab, in the real program."""

import os
import sys
import time

from xsession import XSession

BLUE = "007AFF"
GRAY = "8E8E93"
BLACK = "000000"
TAB = 150  # every short name gives the narrowest tab
STEP = TAB + 2


def first_blue_row(x, column, timeout=20):
    """The top of the blue bar, once the window shows it."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        x.check()
        text = x.run("convert", x.screenshot(), "-crop", f"1x200+{column}+0", "+repage", "txt:-")
        for line in text.splitlines()[1:]:
            place, _, rest = line.partition(":")
            if f"#{BLUE}" in rest.upper():
                return int(place.split(",")[1])
        time.sleep(0.2)
    raise RuntimeError("the blue bar did not appear")


def main(program):
    with XSession(1280, 800) as x:
        pictures = []
        for name in ("a.png", "b.png", "c.png"):
            pictures.append(os.path.join(x.home, name))
            x.run("convert", "-size", "300x200", "xc:#C81EA0", pictures[-1])

        x.start(program)
        window = x.wait_for_window("Kestrune")
        left = x.width // 8 - 25
        bar = first_blue_row(x, left + 50)
        row = bar + 10

        x.click(window, x.width // 2, x.height // 2)
        dialog = x.wait_for_window("Open")
        x.type_into(dialog, " ".join(f'"{p}"' for p in pictures))
        x.xdotool("key", "Return")
        x.wait_until_gone(dialog)

        def tab(i):
            return left + i * STEP + 100, row

        def current_tab():
            shot = x.screenshot()
            colours = [x.pixel(shot, *tab(i)) for i in range(3)]
            return colours.index(GRAY) if colours.count(GRAY) == 1 and colours.count(BLACK) == 2 else colours

        assert x.wait_for_pixel(*tab(0), GRAY) == GRAY, "the first tab is not current"
        assert current_tab() == 0

        # The arrow keys, anywhere in the window.
        x.click(window, x.width // 2, x.height // 2)
        x.xdotool("key", "Right")
        x.wait_for_pixel(*tab(1), GRAY)
        assert current_tab() == 1, current_tab()
        x.xdotool("key", "Right")
        x.xdotool("key", "Right")  # nothing after the last
        x.wait_for_pixel(*tab(2), GRAY)
        assert current_tab() == 2, current_tab()
        x.xdotool("key", "Left")
        x.wait_for_pixel(*tab(1), GRAY)
        assert current_tab() == 1, current_tab()

        # A press on another tab makes it current.
        x.click(window, *tab(0))
        x.wait_for_pixel(*tab(0), GRAY)
        assert current_tab() == 0, current_tab()

        # The current tab opens "All Images" below the strip, and a second press closes it for good.
        below = (left + 3 * STEP, bar + 40)
        canvas_colour = x.pixel(x.screenshot(), *below)
        x.click(window, *tab(0))
        x.wait_until(lambda: x.pixel(x.screenshot(), *below) != canvas_colour, "All Images did not open", 5)
        x.click(window, *tab(0))
        assert x.wait_for_pixel(*below, canvas_colour, timeout=5) == canvas_colour, "All Images stayed open"
        shot = x.screenshot()
        assert x.pixel(shot, *below) == canvas_colour, "All Images opened again"
        assert current_tab() == 0
        assert x.running(), "the program ended:\n" + x.program_output()
    print("ok")


if __name__ == "__main__":
    main(sys.argv[1])
