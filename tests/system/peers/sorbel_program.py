"""Sorbel.exe under Wine from a folder of its own (with its SORBEL.INI), driven through its controller window."""

import os
import shutil
import subprocess
import tempfile

from . import process, wine
from .sorbel import ask, request
from .vantro_program import read_text
from .window_driver import start

PROGRAM = "server/Sorbel.exe"
WINDOW_CLASS = "WL_RAVO_NTP_SERVER32"
TRAY_ICON_ID, TRAY_CALLBACK, TRAY_RESHOW = 100, 0x8C9E, 0x8384
EXIT, BROADCAST_NOW, BROADCAST_MODE, UPDATE_INFO, SERVICE_INSTALL, EDIT_SETTINGS = 105, 32775, 32776, 32787, 32789, 32798
TITLE = "ミルタサーバー　～時刻配信NTPサーバ～"


def read_ini_text(text):
    """{"SECTION": {"KEY": "value"}} of profile-file text."""
    sections, current = {}, {}
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif "=" in line:
            current.__setitem__(*line.split("=", 1))
    return sections


def read_ini(path):
    """The file's sections, or None without one."""
    text = read_text(path, "cp932")
    return None if text is None else read_ini_text(text)


class SorbelProgram:
    """A copy in a fresh folder with SORBEL.INI from `settings` ({"SECTION": {"KEY": value}}; None: no file),
    started with `args` and `env` added to the environment; entering waits for its controller window."""

    def __init__(self, driver, settings=None, args=(), env=None):
        self.driver, self.settings, self.args, self.env = driver, settings, list(args), env or {}
        self.folder = tempfile.mkdtemp(prefix="sorbel-exe-")
        self.ini_path = os.path.join(self.folder, "SORBEL.INI")
        self.process = self.window = None

    def __enter__(self):
        try:
            if self.driver.find(WINDOW_CLASS, 0):
                raise RuntimeError("another Sorbel.exe runs in this Wine prefix; ours would end at once")
            exe = os.path.join(self.folder, "Sorbel.exe")
            shutil.copyfile(wine.program(PROGRAM), exe)
            if self.settings is not None:
                with open(self.ini_path, "w", encoding="cp932", newline="") as f:
                    f.write("".join("[%s]\r\n" % section + "".join("%s=%s\r\n" % kv for kv in keys.items())
                                    for section, keys in self.settings.items()))
            self.output = os.path.join(self.folder, "wine-output.txt")
            self.process, self.window = start(self.driver, [exe] + self.args, self.output, WINDOW_CLASS, self.env)
            if not self.window:
                raise RuntimeError("Sorbel.exe showed no controller window with a title")
            return self
        except Exception:
            self.__exit__()
            raise

    def wait(self, timeout=30.0):
        """The exit code, or None when it did not end in time."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def close(self):
        """Exits through the menu command (bounded); the exit code."""
        if self.process is None:
            return None
        if self.process.poll() is None:
            self.driver.command(self.window.hwnd, EXIT)
        code = self.wait()
        process.reap(self.process)
        self.process = None
        return code

    def output_text(self):
        """What Wine and the program wrote so far."""
        return read_text(self.output, "utf-8")

    def answers(self, port, address="127.0.0.1", tries=20):
        """True when a client request to port is answered (bounded)."""
        return any(ask(port, request(), address, timeout=0.25) for _ in range(tries))

    def __exit__(self, *exc):
        self.close()
        shutil.rmtree(self.folder, ignore_errors=True)
        return False
