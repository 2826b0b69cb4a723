"""Drives the real program on the desktop that scripts/e2e-session starts.

The program runs against the device emulator process (halvorn-vdev serve) on
a socket of its own; its traces (HALVORN_TRACE=1) are read line by line and
stamped with the time they arrived, so a test can wait for one.
"""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77
WINDOW_TITLE = "Halvorn Device"


class Skip(Exception):
    pass


class Failure(AssertionError):
    pass


def require_tools(*tools):
    for tool in tools:
        if shutil.which(tool) is None:
            raise Skip(f"{tool} is not installed")


def binary(variable):
    path = os.environ.get(variable, "")
    if not path or not os.access(path, os.X_OK):
        raise Skip(f"{variable} names no built program ({path or 'unset'})")
    return os.path.abspath(path)


def run(*args, timeout=10, check=True):
    result = subprocess.run(args, capture_output=True, text=True, timeout=timeout)
    if check and result.returncode != 0:
        raise Failure(f"{' '.join(args)} exited {result.returncode}: {result.stderr.strip()}")
    return result


def wait_until(what, predicate, timeout, interval=0.05):
    """Polls predicate until it returns something true; returns it, or fails."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def holds_for(predicate, duration, interval=0.1):
    """Whether predicate stays true for the whole duration."""
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        if not predicate():
            return False
        time.sleep(interval)
    return True


def workdir():
    base = os.environ.get("HALVORN_E2E_WORKDIR")
    if not base:
        raise Skip("not inside scripts/e2e-session")
    return tempfile.mkdtemp(dir=base)


class Emulator:
    """The halvorn-vdev server process and its command-line client."""

    def __init__(self, directory):
        self.path = binary("HALVORN_VDEV_BIN")
        self.socket = os.path.join(directory, "vdev.sock")
        self.log = open(os.path.join(directory, "vdev.log"), "w")
        self.process = subprocess.Popen(
            [self.path, "serve", "--socket", self.socket],
            stdout=self.log, stderr=subprocess.STDOUT)
        wait_until("the emulator's socket", lambda: os.path.exists(self.socket), 5)

    def command(self, *args):
        out = run(self.path, "--socket", self.socket, *args).stdout
        return json.loads(out) if out.strip() else None

    def plug_keyboard(self, name="keyboard"):
        return self.command("plug", "keyboard", name)["name"]

    def unplug(self, name):
        self.command("unplug", name)

    def settings(self, name):
        """The keyboard's settings memory as bytes."""
        return bytes.fromhex(self.command("dump", name)["memory"]["settings"])

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


class Program:
    """One start of halvorn-device, with its traces."""

    def __init__(self, directory, emulator, extra_env=None):
        self.path = binary("HALVORN_DEVICE_BIN")
        env = dict(os.environ, HALVORN_VDEV=emulator.socket, HALVORN_TRACE="1")
        env.update(extra_env or {})
        self.started = time.monotonic()
        self.process = subprocess.Popen(
            [self.path], cwd=directory, env=env, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
            errors="replace")
        self.pid = self.process.pid
        self.lines = []  # (monotonic time, text)
        self.lock = threading.Lock()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.process.stderr:
            with self.lock:
                self.lines.append((time.monotonic(), line.rstrip("\n")))

    def traces(self, since=0.0):
        with self.lock:
            return [(t, text) for t, text in self.lines if t >= since]

    def find_trace(self, pattern, since=0.0):
        """The time of the first trace line after since that matches, or None."""
        regex = re.compile(pattern)
        for t, text in self.traces(since):
            if regex.search(text):
                return t
        return None

    def wait_trace(self, pattern, timeout, since=0.0):
        return wait_until(f"a trace matching {pattern!r}",
                          lambda: self.find_trace(pattern, since), timeout)

    def windows(self):
        """The ids of the program's main windows, mapped or not. Qt may make a
        new native window when the window's flags change (the short topmost
        raise), so a test asks again rather than keep an id."""
        result = run("xdotool", "search", "--all", "--pid", str(self.pid),
                     "--name", f"^{WINDOW_TITLE}$", check=False)
        return result.stdout.split()

    def shown_window(self):
        """The id of the mapped main window, or None."""
        return next((w for w in self.windows() if mapped(w)), None)

    def wait_shown(self, timeout):
        return wait_until("the main window to be shown", self.shown_window, timeout)

    def wait_hidden(self, timeout):
        wait_until("the main window to be hidden", lambda: self.shown_window() is None,
                   timeout)

    def exit_code(self, timeout):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def running(self):
        return self.process.poll() is None

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.reader.join(2)

    def dump_traces(self, out=sys.stderr, last=80):
        for t, text in self.traces()[-last:]:
            print(f"  [{t - self.started:7.3f}] {text}", file=out)


def mapped(window):
    """Whether the window is viewable (mapped, with its parents)."""
    result = run("xwininfo", "-id", window, check=False)
    return result.returncode == 0 and "Map State: IsViewable" in result.stdout


def geometry(window):
    """(x, y, width, height) of the window on the screen."""
    out = run("xdotool", "getwindowgeometry", "--shell", window).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))


def stacking():
    """The managed windows bottom to top, as decimal ids."""
    out = run("xprop", "-root", "_NET_CLIENT_LIST_STACKING").stdout
    return [str(int(w, 16)) for w in re.findall(r"0x[0-9a-fA-F]+", out)]


def above(window, other):
    """Whether window is stacked above other (docks such as the tray aside)."""
    order = stacking()
    return window in order and other in order and order.index(window) > order.index(other)


def click(window, x, y, button=1):
    run("xdotool", "mousemove", "--window", window, str(x), str(y), "click", str(button))


def tray_icon(pid):
    """The window of the program's icon inside trayer's panel, or None."""
    panels = run("xdotool", "search", "--onlyvisible", "--class", "trayer", check=False)
    for panel in panels.stdout.split():
        tree = run("xwininfo", "-tree", "-id", panel, check=False).stdout
        for wid in re.findall(r"^\s+(0x[0-9a-fA-F]+)", tree, re.MULTILINE):
            props = run("xprop", "-id", wid, "_NET_WM_PID", "WM_CLASS", check=False).stdout
            if re.search(rf"_NET_WM_PID\(CARDINAL\) = {pid}\b", props) and mapped(wid):
                return str(int(wid, 16))
    return None


def new_windows(pid, before):
    """Viewable windows of the process that were not in before."""
    result = run("xdotool", "search", "--onlyvisible", "--pid", str(pid), "", check=False)
    return [w for w in result.stdout.split() if w not in before]


def visible_windows(pid):
    result = run("xdotool", "search", "--onlyvisible", "--pid", str(pid), "", check=False)
    return result.stdout.split()


def main(cases):
    """Runs the case named by argv[1] with a fresh emulator; exits 0, 1 or 77."""
    if len(sys.argv) != 2 or sys.argv[1] not in cases:
        print(f"usage: {sys.argv[0]} {'|'.join(cases)}", file=sys.stderr)
        sys.exit(2)
    # A TERM (the session ending, CTest's timeout) still stops what we started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    emulator = program_list = None
    try:
        require_tools("xdotool", "xwininfo", "xprop")
        binary("HALVORN_DEVICE_BIN")
        directory = workdir()
        emulator = Emulator(directory)
        program_list = []

        def start(extra_env=None):
            program = Program(directory, emulator, extra_env)
            program_list.append(program)
            return program

        cases[sys.argv[1]](emulator, start)
    except Skip as skip:
        print(f"SKIP: {skip}")
        sys.exit(SKIP)
    except (Failure, subprocess.TimeoutExpired) as failure:
        print(f"FAIL: {failure}")
        for program in program_list or []:
            print(f"traces of pid {program.pid}:", file=sys.stderr)
            program.dump_traces()
        sys.exit(1)
    finally:
        for program in program_list or []:
            program.stop()
        if emulator:
            emulator.stop()
    print("PASS")


def snapshot(window):
    """The window's pixels as a PPM image (bytes)."""
    return subprocess.run(["import", "-silent", "-window", window, "-depth", "8", "ppm:-"],
                          capture_output=True, timeout=10, check=True).stdout


class Picture:
    """A PPM picture, with its pixels by rectangle."""

    def __init__(self, ppm):
        fields, at = [], 0
        while len(fields) < 4:  # magic, width, height, maximum
            while ppm[at:at + 1].isspace():
                at += 1
            start = at
            while not ppm[at:at + 1].isspace():
                at += 1
            fields.append(ppm[start:at])
        if fields[0] != b"P6" or fields[3] != b"255":
            raise Failure(f"not an 8-bit PPM picture: {fields}")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = ppm[at + 1:]

    def region(self, left, top, right, bottom):
        """The pixels of [left, right) x [top, bottom), row by row."""
        rows = []
        for y in range(top, min(bottom, self.height)):
            start = (y * self.width + left) * 3
            rows.append(self.pixels[start:start + (min(right, self.width) - left) * 3])
        return b"".join(rows)

    def colours(self, left, top, right, bottom):
        data = self.region(left, top, right, bottom)
        return {data[i:i + 3] for i in range(0, len(data), 3)}


def park_pointer():
    # Hover effects would make pictures of the same state differ.
    run("xdotool", "mousemove", "0", "1000")


# Where the main window shows what (its skin's layout, 800 x 572 with a
# 1-pixel border): the close button in the title bar, the band of device
# entries, and the no-device notice on the first page.
kCloseButton = (774, 26)
kEntryBand = (21, 56, 779, 120)
kNoDeviceNotice = (21, 336, 779, 376)


class Pictures:
    """The window's entry band and notice, seen against the picture taken
    with no device: an entry draws into the empty band, and the notice shows
    the text it had then."""

    def __init__(self, program, timeout=5):
        self.program = program
        self.timeout = timeout

        def no_device():
            picture = self.take()
            empty_band = len(picture.colours(*kEntryBand)) == 1
            notice = len(picture.colours(*kNoDeviceNotice)) > 1
            return picture if empty_band and notice else None

        self.no_device = wait_until("the notice and an empty entry band", no_device,
                                    timeout, interval=0.1)

    def take(self):
        park_pointer()
        return Picture(snapshot(self.program.wait_shown(self.timeout)))

    def state(self):
        picture = self.take()
        entry = len(picture.colours(*kEntryBand)) > 1
        notice = (picture.region(*kNoDeviceNotice) ==
                  self.no_device.region(*kNoDeviceNotice))
        return entry, notice

    def wait_entry(self, shown):
        want = "a device entry and no notice" if shown else "the notice and no entry"
        wait_until(want, lambda: self.state() == (shown, not shown), self.timeout,
                   interval=0.1)


class Blocker:
    """Another application's window over most of the screen, focused."""

    def __init__(self):
        self.process = subprocess.Popen(
            ["xmessage", "-geometry", "1200x950+20+40", "-name", "halvorn-e2e-blocker",
             "covering window"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window = wait_until(
            "the covering window",
            lambda: (run("xdotool", "search", "--onlyvisible", "--classname",
                         "halvorn-e2e-blocker", check=False).stdout.split() or [None])[0],
            5)
        run("xdotool", "windowactivate", "--sync", self.window, check=False)

    def stop(self):
        self.process.terminate()
        self.process.wait(5)
