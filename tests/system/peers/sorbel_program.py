"""Sorbel.exe itself under Wine, started from a folder of its own (where it
reads and writes SORBEL.INI) and driven through its tray controller window."""

import os
import shutil
import subprocess
import tempfile
import time

from . import process, wine
from .sorbel import ask, request

PROGRAM = "server/Sorbel.exe"
WINDOW_CLASS = "WL_RAVO_NTP_SERVER32"
TRAY_ICON_ID = 100
TRAY_CALLBACK = 0x8C9E
TRAY_RESHOW = 0x8384
EXIT, BROADCAST_NOW, BROADCAST_MODE, RESPONSE_MODE = 105, 32775, 32776, 32783
UPDATE_INFO, SERVICE_INSTALL, SERVICE_REMOVE, EDIT_SETTINGS = 32787, 32789, 32790, 32798
TITLE = "ミルタサーバー　～時刻配信NTPサーバ～"


def ini_text(settings):
    """{"SECTION": {"KEY": value}} as profile-file text."""
    lines = []
    for section, keys in settings.items():
        lines.append("[%s]" % section)
        lines += ["%s=%s" % item for item in keys.items()]
    return "\r\n".join(lines) + "\r\n"


def read_ini(path):
    """{"SECTION": {"KEY": "value"}} of the file, or None without one."""
    try:
        with open(path, encoding="cp932") as f:
            return read_ini_text(f.read())
    except OSError:
        return None


def read_ini_text(text):
    sections, current = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key] = value
    return sections


class SorbelProgram:
    """A copy of Sorbel.exe in a fresh folder, with SORBEL.INI from
    `settings` (None: no file), started with `args` (and `env` added to the
    environment, e.g. a WINEDEBUG channel). start() waits (bounded)
    for its controller window through `driver`; close() exits through the
    tray menu's exit command and returns the exit code."""

    def __init__(self, driver, settings=None, args=(), env=None):
        self.driver = driver
        self.env = env
        self.settings = settings
        self.args = list(args)
        self.folder = None
        self.process = None
        self.window = None
        self.output = None

    @property
    def ini_path(self):
        return os.path.join(self.folder, "SORBEL.INI")

    def start(self, wait_ms=30000):
        if self.driver.count(WINDOW_CLASS):
            raise RuntimeError("another Sorbel.exe runs in this Wine prefix; ours would end at once")
        self.folder = tempfile.mkdtemp(prefix="sorbel-exe-")
        exe = os.path.join(self.folder, "Sorbel.exe")
        shutil.copyfile(wine.program(PROGRAM), exe)
        if self.settings is not None:
            with open(self.ini_path, "w", encoding="cp932", newline="") as f:
                f.write(ini_text(self.settings))
        self.output = open(os.path.join(self.folder, "wine-output.txt"), "ab")
        self.process = subprocess.Popen([os.path.join(wine.build_dir(), "wine-run.sh"), exe] + self.args,
                                        stdin=subprocess.DEVNULL, stdout=self.output,
                                        stderr=subprocess.STDOUT,
                                        env=dict(os.environ, **(self.env or {})))
        # The window is there from its creation on; it has its title once
        # its creation handler is under way.
        deadline = time.monotonic() + wait_ms / 1000.0
        self.window = self.driver.find(WINDOW_CLASS, wait_ms)
        while self.window is not None and not self.window.title and time.monotonic() < deadline:
            time.sleep(0.05)
            self.window = self.driver.find(WINDOW_CLASS, 0)
        if self.window is None or not self.window.title:
            self.kill()
            raise RuntimeError("Sorbel.exe showed no controller window with a title")
        return self

    def wait(self, timeout=30.0):
        """The exit code, or None when it did not end in time."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def close(self, timeout=30.0):
        """Exits through the menu command (bounded); the exit code."""
        if self.process is None:
            return None
        if self.process.poll() is None:
            self.driver.command(self.window.hwnd, EXIT)
        code = self.wait(timeout)
        if code is None:
            self.kill()
        self.process = None
        return code

    def kill(self):
        process.reap(self.process)
        self.process = None

    def output_text(self):
        """What Wine and the program wrote so far."""
        self.output.flush()
        with open(self.output.name, "rb") as f:
            return f.read().decode("utf-8", errors="replace")

    def answers(self, port, address="127.0.0.1", tries=20):
        """True when a client request to port is answered (bounded)."""
        return any(ask(port, request(), address, timeout=0.25) for _ in range(tries))

    def cleanup(self):
        if self.process is not None:
            self.close()
        if self.output is not None:
            self.output.close()
            self.output = None
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None

    def __enter__(self):
        try:
            return self.start()
        except Exception:
            self.cleanup()
            raise

    def __exit__(self, *exc):
        self.cleanup()
        return False
