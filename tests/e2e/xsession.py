"""The program on a virtual X display of its own, with folders of its own and no window manager (windows
sit at 0,0). Every wait is bounded and fails at once when the program ends or opens an unexpected window."""

import contextlib
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


def missing(what):
    raise SystemExit(f"{what} is missing; run scripts/setup.sh")


def on_own_session_bus():
    """Runs this script again in a D-Bus session of its own: the accessibility bus is this test's alone."""
    if os.environ.get("KESTRUNE_OWN_BUS"):
        return
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        missing("pyatspi")
    os.environ["KESTRUNE_OWN_BUS"] = "1"
    os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])


class XSession:
    def __init__(self, width=1280, height=800, accessible=False):
        for tool in ("Xvfb", "xdotool", "import", "convert"):
            if shutil.which(tool) is None:
                missing(tool)
        self.width, self.height = width, height
        self.home = tempfile.mkdtemp(prefix="kestrune-e2e-")
        self.program = self.server = self.app = None
        # The names of the windows the test waits for; a slow Match under load shows its wait window.
        self.expected = {"Kestrune", "Matching…"}
        # A display number far from the low ones another test's server may be freeing right now (its
        # socket can vanish under a new server that took the same number).
        number = next(filter(None, (self.start_server(random.randrange(100, 30000)) for _ in range(5))), "")
        if not number:
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "XDG_", "WAYLAND"))}
        self.env.update(DISPLAY=":" + number, QT_QPA_PLATFORM="xcb")
        for name in ("XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"):
            self.env[name] = os.path.join(self.home, name.lower())
            os.makedirs(self.env[name], mode=0o700)
        if accessible:  # the program's controls on the session's bus, read by pyatspi from this display
            os.environ["DISPLAY"] = self.env["DISPLAY"]
            self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
            self.env["DBUS_SESSION_BUS_ADDRESS"] = os.environ["DBUS_SESSION_BUS_ADDRESS"]

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

    def start(self, program):
        """Starts the program; its main window's id once shown (and its accessible root in self.app)."""
        self.log = open(os.path.join(self.home, "program.log"), "w")
        self.program = subprocess.Popen([program], env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        window = self.wait_for_window("Kestrune")
        if "QT_LINUX_ACCESSIBILITY_ALWAYS_ON" in self.env:
            import pyatspi
            from gi.repository import GLib

            def registered():
                # The list of applications follows their comings and goings in events, which wait here; a
                # list read before a program ended is read afresh.
                while GLib.MainContext.default().iteration(False):
                    pass
                desktop = pyatspi.Registry.getDesktop(0)
                desktop.clear_cache()
                return next((a for a in desktop if a is not None and a.name == "Kestrune"
                             and a.get_process_id() == self.program.pid), None)

            self.app = self.wait_for(registered, what="Kestrune is not on the accessibility bus", timeout=20)
        return window

    def find(self, name, role, enabled=False):
        """The first shown control with this name and role (and enabled, if asked), or None."""
        import pyatspi

        def wanted(a):
            state = a is not None and a.name == name and a.getRoleName() == role and a.getState()
            return bool(state) and state.contains(pyatspi.STATE_SHOWING) and (
                not enabled or state.contains(pyatspi.STATE_ENABLED))

        return pyatspi.findDescendant(self.app, wanted)

    def extents(self, name, role="push button", enabled=False):
        """(x, y, width, height) on the screen of the control, once shown."""
        import pyatspi

        def found():
            control = self.find(name, role, enabled)
            box = control and control.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            return box and box.width > 0 and box.height > 0 and (box.x, box.y, box.width, box.height)

        return self.wait_for(found, what=f"no {role} named {name!r} is shown" + (" and enabled" * enabled))

    def texts(self, name, role):
        """The names of the labels inside the shown control with this name and role."""
        import pyatspi

        found = self.find(name, role)
        labels = found and pyatspi.findAllDescendants(found, lambda a: a is not None and a.getRoleName() == "label")
        return [label.name for label in labels or [] if label.name]

    def press(self, name, role="push button"):
        """A click at the centre of the enabled control with this name."""
        x, y, width, height = self.extents(name, role, enabled=True)
        self.xdotool("mousemove", x + width // 2, y + height // 2, "click", 1)

    def drag(self, start, end, steps=10):
        """A drag with the left button, its moves apart enough to stay separate moves."""
        self.xdotool("mousemove", *start, "mousedown", 1)
        for k in range(1, steps + 1):
            time.sleep(0.02)
            self.xdotool("mousemove", *(round(a + (b - a) * k / steps) for a, b in zip(start, end)))
        time.sleep(0.05)
        self.xdotool("mouseup", 1)

    def running(self):
        return self.program is not None and self.program.poll() is None

    def check(self):
        """Raises when the program has ended or shows a window the test has not waited for."""
        if not self.running():
            raise RuntimeError(f"the program ended (exit status {self.program.poll()}):\n" + self.program_output())
        unexpected = [name for name in self.windows(names=True) if name not in self.expected]
        if unexpected:
            raise RuntimeError("unexpected window: " + "; ".join(
                f"{n!r} {' '.join(self.texts(n, 'alert') if self.app else [])}" for n in unexpected))

    def wait_for(self, get, wanted=bool, what="", timeout=10, pause=0.1):
        """The first value of get() that wanted accepts (or equals); after timeout seconds an error naming it."""
        accept = wanted if callable(wanted) else lambda value: value == wanted
        deadline = time.monotonic() + timeout
        while True:
            self.check()
            value = get()
            if accept(value):
                return value
            if time.monotonic() > deadline:
                raise RuntimeError(f"{what}: {value!r} (waited {timeout} s)")
            time.sleep(pause)

    @contextlib.contextmanager
    def step(self, text, ends=False):
        """Names the step that failed, and says so when the program ended on the way (unless the step ends it)."""
        try:
            yield
            if not ends:
                self.check()
        except Exception as error:
            ended = "" if self.running() else "\nthe program ended:\n" + self.program_output()
            raise AssertionError(f"{text}: {error}{ended}") from error

    def run(self, *command, timeout=30):
        return subprocess.run(list(command), env=self.env, check=True, capture_output=True, text=True,
                              timeout=timeout).stdout

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])

    def windows(self, pattern=".", names=False):
        """The ids (or names) of the visible windows whose names match the pattern."""
        command = ["xdotool", "search", "--onlyvisible", "--name", pattern] + ["getwindowname", "%@"] * names
        return subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=10).stdout.splitlines()

    def wait_for_window(self, name, timeout=20):
        self.expected.add(name)
        return self.wait_for(lambda: next(iter(self.windows(f"^{re.escape(name)}$")), None),
                             what=f"no window named {name!r} appeared", timeout=timeout)

    def wait_until_gone(self, window):
        self.wait_for(lambda: window not in self.windows(), what=f"window {window} stayed open")

    def click(self, window, x, y):
        self.xdotool("mousemove", "--window", window, x, y, "click", 1)

    def type_into(self, window, text):
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("type", "--delay", 20, text)

    def fill_in(self, title, text):
        """Types text into the dialog with this title, presses Return and waits until it goes."""
        dialog = self.wait_for_window(title)
        self.type_into(dialog, text)
        self.xdotool("key", "Return")
        self.wait_until_gone(dialog)

    def open_image(self, path):
        self.press("New Image")
        self.fill_in("Open", path)

    def label_box(self, label):
        """Types the label into the box editor that drawing opened, and closes it with Return."""
        self.wait_for_window("Bounding Box", timeout=5)
        self.press("Class Label", role="text")
        self.fill_in("Bounding Box", label)

    def saved(self, kind, path):
        """The text of a file saved as kind through the Save popover and its save dialog."""
        self.press("Save")
        self.press(kind)
        self.fill_in(f"Save {kind} file", path)
        self.wait_for(lambda: os.path.exists(path), what=f"{path} was not written")
        with open(path, encoding="utf-8") as stream:
            return stream.read()

    def screenshot(self):
        path = os.path.join(self.home, f"shot-{time.monotonic_ns()}.png")
        self.run("import", "-window", "root", path)
        return path

    def pixel(self, shot, x, y):
        """The colour at x, y as RRGGBB."""
        return self.run("convert", shot, "-format", f"%[hex:p{{{x},{y}}}]", "info:").strip().upper()[:6]

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
