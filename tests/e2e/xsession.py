"""A virtual X display of its own for one end-to-end test, with the program running on it.

Each session starts Xvfb on a display it picks itself (-displayfd), so tests run side by side,
and runs the program with its own settings, cache and runtime folders. No window manager runs:
windows sit at 0,0 and window-relative clicks land where they say.

Every wait is bounded and fails at once, naming it, when the program ends or opens a window the test
did not wait for (a message box): a failing test ends in seconds with the reason.
"""

import os
import random
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def on_own_session_bus():
    """Runs this script again inside a D-Bus session of its own, so that the accessibility bus
    belongs to this test alone; returns in the re-run script."""
    if os.environ.get("KESTRUNE_OWN_BUS"):
        return
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        print("pyatspi is missing; run scripts/setup.sh")
        raise SystemExit(1)
    os.environ["KESTRUNE_OWN_BUS"] = "1"
    os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])


class XSession:
    def __init__(self, width=1280, height=800):
        for tool in ("Xvfb", "xdotool", "import", "convert"):
            if shutil.which(tool) is None:
                print(f"{tool} is missing; run scripts/setup.sh")
                raise SystemExit(1)
        self.width, self.height = width, height
        self.home = tempfile.mkdtemp(prefix="kestrune-e2e-")
        self.program = None
        self.app = None
        # The names of the windows the test waits for; a slow Match under load may show its wait window.
        self.expected = {"Kestrune", "Matching…"}
        # A display number of our own, far from the low ones another test's server may be freeing
        # right now (its socket can vanish under a new server that took the same number).
        number = ""
        for _ in range(5):
            number = self.start_server(random.randrange(100, 30000))
            if number:
                break
        if not number:
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "XDG_", "WAYLAND"))}
        self.env["DISPLAY"] = ":" + number
        for name in ("XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"):
            folder = os.path.join(self.home, name.lower())
            os.makedirs(folder, mode=0o700)
            self.env[name] = folder
        self.env["QT_QPA_PLATFORM"] = "xcb"

    def start_server(self, display):
        # -noreset: a server resets when its last client leaves and refuses whoever connects meanwhile.
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", f":{display}", "-displayfd", str(write_end), "-screen", "0",
             f"{self.width}x{self.height}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip() if select.select([pipe], [], [], 10)[0] else ""
        if not number:
            self.server.kill()
            self.server.wait()
        return number

    def use_accessibility(self):
        """The program puts its controls on the session's accessibility bus, and pyatspi in this
        script reads them from this display."""
        os.environ["DISPLAY"] = self.env["DISPLAY"]
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env["DBUS_SESSION_BUS_ADDRESS"] = os.environ["DBUS_SESSION_BUS_ADDRESS"]

    def application(self, name, timeout=20):
        """The program's root on the accessibility bus."""
        import pyatspi

        def found():
            return next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == name), None)

        self.app = self.wait_until(found, f"{name} is not on the accessibility bus", timeout)
        return self.app

    def extents(self, app, name, role="push button", timeout=10, enabled=False):
        """(x, y, width, height) on the screen of the first shown control with this name and role
        (and enabled, if asked)."""
        import pyatspi

        def wanted(a):
            if a is None or a.name != name or a.getRoleName() != role:
                return False
            state = a.getState()
            return state.contains(pyatspi.STATE_SHOWING) and (not enabled or state.contains(pyatspi.STATE_ENABLED))

        def found():
            control = pyatspi.findDescendant(app, wanted)
            box = control and control.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            return box and box.width > 0 and box.height > 0 and (box.x, box.y, box.width, box.height)

        return self.wait_until(found, f"no {role} named {name!r} is shown" + (" and enabled" if enabled else ""),
                               timeout)

    def texts(self, app, name, role):
        """The names of the labels inside the shown control with this name and role."""
        import pyatspi

        found = pyatspi.findDescendant(app, lambda a: a is not None and a.name == name and a.getRoleName() == role
                                       and a.getState().contains(pyatspi.STATE_SHOWING))
        if found is None:
            return []
        labels = pyatspi.findAllDescendants(found, lambda a: a is not None and a.getRoleName() == "label")
        return [label.name for label in labels if label.name]

    def press(self, app, name, role="push button"):
        """A click at the centre of the enabled control with this name."""
        x, y, width, height = self.extents(app, name, role, enabled=True)
        self.xdotool("mousemove", x + width // 2, y + height // 2, "click", 1)

    def drag(self, start, end, steps=10):
        """A drag with the left button, its moves apart enough to stay separate moves."""
        self.xdotool("mousemove", *start, "mousedown", 1)
        for k in range(1, steps + 1):
            time.sleep(0.02)
            self.xdotool("mousemove", *(round(a + (b - a) * k / steps) for a, b in zip(start, end)))
        time.sleep(0.05)
        self.xdotool("mouseup", 1)

    def start(self, program):
        self.log = open(os.path.join(self.home, "program.log"), "w")
        self.program = subprocess.Popen([program], env=self.env, stdout=self.log, stderr=subprocess.STDOUT)

    def running(self):
        return self.program is not None and self.program.poll() is None

    def check_running(self):
        if not self.running():
            raise RuntimeError(f"the program ended (exit status {self.program.poll()}):\n" + self.program_output())

    def check(self):
        """Raises when the program has ended or shows a window the test has not waited for."""
        self.check_running()
        unexpected = [name for name in self.window_names() if name not in self.expected]
        if unexpected:
            texts = {name: self.texts(self.app, name, "alert") if self.app else [] for name in unexpected}
            raise RuntimeError("unexpected window: " + "; ".join(f"{n!r} {' '.join(t)}" for n, t in texts.items()))

    def wait_until(self, condition, failure, timeout=10, pause=0.1):
        """The first true value of condition(), checking the program all the while; after timeout
        seconds a RuntimeError with the failure's text (or what failure() returns then)."""
        deadline = time.monotonic() + timeout
        while True:
            self.check()
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                raise RuntimeError(f"{failure() if callable(failure) else failure} (waited {timeout} s)")
            time.sleep(pause)

    def run(self, *command, timeout=30):
        return subprocess.run(list(command), env=self.env, check=True, capture_output=True, text=True,
                              timeout=timeout).stdout

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])

    def visible_windows(self, name="."):
        """The ids of the visible windows whose names match the pattern."""
        return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], env=self.env,
                              capture_output=True, text=True, timeout=10).stdout.split()

    def window_names(self):
        """The names of the visible windows (a window that closes meanwhile may be left out)."""
        return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", ".", "getwindowname", "%@"],
                              env=self.env, capture_output=True, text=True, timeout=10).stdout.splitlines()

    def find_window(self, name):
        """The id of the first visible window whose whole name is `name`, or None."""
        found = self.visible_windows(f"^{re.escape(name)}$")
        return found[0] if found else None

    def wait_for_window(self, name, timeout=20):
        self.expected.add(name)
        return self.wait_until(lambda: self.find_window(name), f"no window named {name!r} appeared", timeout)

    def wait_until_gone(self, window, timeout=10):
        self.wait_until(lambda: window not in self.visible_windows(), f"window {window} stayed open", timeout)

    def click(self, window, x, y):
        self.xdotool("mousemove", "--window", window, x, y, "click", 1)

    def type_into(self, window, text):
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("type", "--delay", 20, text)

    def screenshot(self):
        path = os.path.join(self.home, f"shot-{time.monotonic_ns()}.png")
        self.run("import", "-window", "root", path)
        return path

    def pixel(self, shot, x, y):
        """The colour at x, y as RRGGBB."""
        return self.run("convert", shot, "-format", f"%[hex:p{{{x},{y}}}]", "info:").strip().upper()[:6]

    def differing_pixels(self, first, second):
        """How many pixels of two pictures of one size differ."""
        result = subprocess.run(["compare", "-metric", "AE", first, second, "null:"],
                                env=self.env, capture_output=True, text=True)
        if result.returncode > 1:
            raise RuntimeError("compare failed: " + result.stderr)
        return int(float(result.stderr.split()[0]))

    def wait_for_pixel(self, x, y, colour, timeout=10):
        deadline = time.monotonic() + timeout
        while True:
            self.check()
            seen = self.pixel(self.screenshot(), x, y)
            if seen == colour or time.monotonic() > deadline:
                return seen
            time.sleep(0.2)

    def program_output(self):
        self.log.flush()
        with open(self.log.name) as f:
            return f.read()

    def close(self):
        for process in (self.program, self.server):
            if process is not None and process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.home, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
