"""Windows of a real program under Wine, driven through tests/system/window_driver.exe (its source lists the
commands); the waiting and choosing are done here, every wait bounded. Stand-ins: see stand_in() and record()."""

import collections
import os
import re
import select
import shutil
import subprocess
import tempfile
import time

from . import process, wine

WM_CLOSE, WM_COMMAND, WM_CHAR = 0x0010, 0x0111, 0x0102
WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP = 0x0201, 0x0202, 0x0205
IDOK, IDYES, IDNO = 1, 6, 7
SW_SHOW, SW_SHOWNA, WS_VISIBLE = 5, 8, 0x10000000
DRIVER = "tests/system/window_driver.exe"

Window = collections.namedtuple("Window", "hwnd pid title")
Box = collections.namedtuple("Box", "hwnd owner buttons caption text")


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t", "r": "\r"}.get(m.group(1), m.group(1)), text)


class WindowDriver:
    def __init__(self, timeout=30.0):
        self.timeout, self.process, self.buffer = timeout, None, b""

    def __enter__(self):
        self.process = subprocess.Popen([os.path.join(wine.build_dir(), "wine-run.sh"), wine.program(DRIVER)],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return self

    def __exit__(self, *exc):
        try:
            self.process.stdin.write(b"quit\n")
            self.process.stdin.close()
            self.process.wait(10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait(10)
        self.process.stdout.close()
        return False

    def ask(self, *words):  # one command; its reply lines without "end"
        self.process.stdin.write((" ".join(str(w) for w in words) + "\n").encode("utf-8"))
        self.process.stdin.flush()
        deadline = time.monotonic() + self.timeout
        while not (self.buffer == b"end\n" or self.buffer.endswith(b"\nend\n")):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.process.stdout], [], [], left)[0]:
                raise RuntimeError("window_driver did not answer in time")
            chunk = os.read(self.process.stdout.fileno(), 65536)
            if not chunk:
                raise RuntimeError("window_driver ended")
            self.buffer += chunk.replace(b"\r", b"")  # texts carry theirs escaped
        reply, self.buffer = self.buffer.decode("utf-8", errors="replace"), b""
        return reply.split("\n")[:-2]

    def windows(self):
        """The top-level windows: (hwnd, pid, owner, style, class, title)."""
        rows = [line.split(" ", 4) for line in self.ask("windows")]
        return [(h, int(pid), owner, int(style, 16)) + tuple(rest.split("\t")) for h, pid, owner, style, rest in rows]

    def children(self, hwnd):
        """The window's descendants: (hwnd, id, class, text)."""
        rows = [line.split(" ", 2) for line in self.ask("children", hwnd)]
        return [(h, int(i)) + tuple(rest.split("\t")) for h, i, rest in rows]

    def until(self, probe, wait_ms):
        """probe()'s first true answer, or its last one after wait_ms."""
        deadline = time.monotonic() + wait_ms / 1000.0
        while True:
            got = probe()
            if got or time.monotonic() >= deadline:
                return got
            time.sleep(0.05)

    def find(self, window_class, wait_ms=20000):
        """The first top-level window of the class (waiting for it), or None."""
        found = self.until(lambda: [w for w in self.windows() if w[4] == window_class], wait_ms)
        return Window(found[0][0], found[0][1], unescape(found[0][5])) if found else None

    def post(self, hwnd, message, wparam=0, lparam=0):
        return self.ask("post", hwnd, message, wparam, lparam)[0] == "posted 1"

    def command(self, hwnd, command_id):
        return self.post(hwnd, WM_COMMAND, command_id)

    def send(self, hwnd, message, wparam=0, lparam=0):
        """SendMessage's result (for messages without pointers)."""
        return int(self.ask("send", hwnd, message, wparam, lparam)[0].split()[1])

    def style(self, hwnd):
        return ([w[3] for w in self.windows() if w[0] == hwnd] or [0])[0]

    def boxes(self, hwnd, at_least=1, wait_ms=10000, window_class="#32770"):
        """The visible boxes (or windows of another class) of the window's process, once `at_least` are up."""
        pid = ([w[1] for w in self.windows() if w[0] == hwnd] or [None])[0]

        def shown():
            boxes = [w for w in self.windows() if w[1] == pid and w[3] & WS_VISIBLE and w[4] == window_class]
            return boxes if len(boxes) >= at_least else []
        found = []
        for box, _, owner, _, _, caption in self.until(shown, wait_ms):
            parts = self.children(box)
            found.append(Box(box, owner, [i for _, i, kind, _ in parts if kind.lower() == "button"], unescape(caption),
                             "\n".join(unescape(t) for _, _, kind, t in parts if kind.lower() == "static" and t)))
        return found

    def popup(self, hwnd, wait_ms=5000):
        """The window's visible popup menu, or None."""
        return (self.boxes(hwnd, 1, wait_ms, "#32768") or [None])[0]

    def answer(self, box, button):
        """Presses the box's button; whether the box went within 5 s."""
        box = box.hwnd if isinstance(box, Box) else box
        self.command(box, button)
        return self.until(lambda: not self.style(box) & WS_VISIBLE, 5000)

    def child(self, hwnd, control_id):
        """The window's descendant control with that identifier, or None."""
        return ([h for h, i, _, _ in self.children(hwnd) if i == control_id] or [None])[0]

    def tray(self, hwnd, icon_id, wanted=None, wait_s=10.0):
        """Whether the notification area holds the window's icon; with `wanted`, waits for that answer."""
        present = lambda: self.ask("tray", hwnd, icon_id)[0] == "tray 1"  # noqa: E731
        if wanted is None:
            return present()
        return wanted if self.until(lambda: present() == wanted, wait_s * 1000) else not wanted

    def desktop(self, name):
        """Looks for windows in the Wine virtual desktop `name` from now on."""
        return self.ask("desktop", name)[0] == "desktop 1"

    def classes_default(self, key, value):
        """Sets the default value of HKEY_CLASSES_ROOT\\key ("-" deletes it); the previous one or "-"."""
        reply = self.ask("classes", key, value)[0]
        if not reply.startswith("old "):
            raise RuntimeError("registry: %s" % reply)
        return unescape(reply[4:])


def read_text(path, encoding="cp932"):  # None without the file
    try:
        with open(path, "rb") as f:
            return f.read().decode(encoding, errors="replace")
    except OSError:
        return None


class Program:
    """A copy of a program (in_place: the program itself) started from a fresh folder on entering, prepare() first,
    in that Wine virtual desktop if one is named, until its main window has a title (bounded); on leaving closed unless
    it was, and the folder removed. close() is the subclass's."""

    def __init__(self, driver, program, window_class, args=(), env=None, desktop=None, in_place=False):
        self.driver, self.program, self.window_class, self.args = driver, program, window_class, list(args)
        self.env, self.desktop, self.closed, self.in_place = env or {}, desktop, False, in_place
        self.folder = tempfile.mkdtemp(prefix="program-")
        self.exe = program if in_place else os.path.join(self.folder, os.path.basename(program))
        self.process = self.window = None

    def path(self, name):
        return os.path.join(self.folder, name)

    def prepare(self):
        pass

    def __enter__(self):
        try:
            if not self.in_place:
                shutil.copyfile(wine.program(self.program), self.exe)
            self.prepare()
            desktop = ["explorer", "/desktop=%s,640x560" % self.desktop] if self.desktop else []
            with open(self.path("wine-output.txt"), "wb") as out:
                self.process = subprocess.Popen([os.path.join(wine.build_dir(), "wine-run.sh")] + desktop +
                                                [self.exe] + self.args, stdin=subprocess.DEVNULL, stdout=out,
                                                stderr=subprocess.STDOUT, env=dict(os.environ, **self.env))
            if self.desktop:
                self.driver.until(lambda: self.driver.desktop(self.desktop), 30000)
            self.window = self.driver.until(self.titled, 30000)
            if not self.window:
                raise RuntimeError("%s showed no window with a title:\n%s" % (self.exe, self.output_text()))
            return self
        except Exception:
            self.__exit__()
            raise

    def titled(self):  # the window exists before its creation handler has set its title
        window = self.driver.find(self.window_class, 1000)
        return window if window and window.title else None

    def command(self, command_id):
        return self.driver.command(self.window.hwnd, command_id)

    def output_text(self):
        """What Wine and the program wrote so far."""
        return read_text(self.path("wine-output.txt"), "utf-8")

    def wait(self, timeout=30.0):
        """The exit code, or None when it did not end in time."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def __exit__(self, *exc):
        if self.window is not None and not self.closed:
            self.close()
        if self.process is not None:
            self.wait(60)  # a virtual desktop ends by itself once its last window is gone
            process.reap(self.process)
        shutil.rmtree(self.folder, ignore_errors=True)
        return False


def stand_in(folder, name):
    """A copy of the driver as folder/name: whoever starts it gets NAME.txt beside it (see record)."""
    shutil.copyfile(wine.program(DRIVER), os.path.join(folder, name))
    return os.path.join(folder, name)


def record(path, wait_s=10.0):
    """A stand-in's record {command, show, last, content}, waiting for it; None when none came."""
    deadline = time.monotonic() + wait_s
    while time.monotonic() < deadline:
        try:
            with open(path + ".txt", "rb") as f:
                return {k: unescape(v) for k, v in wine.key_values(f.read().decode("utf-8", "replace")).items()}
        except OSError:
            time.sleep(0.1)
    return None
