"""A virtual X display of its own for one end-to-end test, with the program running on it.

Each session starts Xvfb on a display it picks itself (-displayfd), so tests run side by side,
and runs the program with its own settings, cache and runtime folders. No window manager runs:
windows sit at 0,0 and window-relative clicks land where they say.
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

SKIP = 77


class XSession:
    def __init__(self, width=1280, height=800):
        for tool in ("Xvfb", "xdotool", "import", "convert"):
            if shutil.which(tool) is None:
                print(f"{tool} is missing; run scripts/setup.sh")
                raise SystemExit(SKIP)
        self.width, self.height = width, height
        self.home = tempfile.mkdtemp(prefix="kestrune-e2e-")
        self.program = None
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
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

    def start(self, program):
        self.log = open(os.path.join(self.home, "program.log"), "w")
        self.program = subprocess.Popen([program], env=self.env, stdout=self.log, stderr=subprocess.STDOUT)

    def running(self):
        return self.program is not None and self.program.poll() is None

    def run(self, *command):
        return subprocess.run(list(command), env=self.env, check=True, capture_output=True, text=True).stdout

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])

    def wait_for_window(self, name, timeout=20):
        """The id of the first visible window whose whole name is `name`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.running():
                raise RuntimeError("the program ended:\n" + self.program_output())
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(name)}$"],
                                   env=self.env, capture_output=True, text=True).stdout.split()
            if found:
                return found[0]
            time.sleep(0.1)
        raise RuntimeError(f"no window named {name!r} appeared")

    def wait_until_gone(self, window, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."],
                                   env=self.env, capture_output=True, text=True).stdout.split()
            if window not in shown:
                return
            time.sleep(0.1)
        raise RuntimeError(f"window {window} stayed open")

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

    def wait_for_pixel(self, x, y, colour, timeout=10):
        deadline = time.monotonic() + timeout
        while True:
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
