"""Vantro.exe under Wine from a folder of its own, its data folder (the all-users one: Wine's token is elevated)
seeded, started directly or in a Wine virtual desktop (which draws caption bars). For the system tests, make run."""

import os
import shutil
import struct
import subprocess
import tempfile

from . import process, wine
from .window_driver import WM_CLOSE, start

PROGRAM = "client/Vantro.exe"
WINDOW_CLASS = "WL_RAVO_NTP_CLIENT32"
TITLE = "ミルタ　～インターネット時刻補正～ v1.08版"
# The settings keys in the order a save writes them into a new file.
KEYS = ("nCheckSpan nTimeout nAllowance nSelectServerNo bAutoExec bSaveLog bTackTray bRotateServer "
        "bFirstExec bUseHttpProxy sProtocol sHttpProxy bBroadcastRecv nBroadcastRecvPortNo").split()


def prefix():
    return os.environ.get("SUITE_WINEPREFIX") or os.path.join(wine.build_dir(), "wine-prefix")


def data_folder():
    return os.path.join(prefix(), "drive_c", "ProgramData", "RAVO", "Brassel")


def settings_bytes(pairs):
    rows = "".join("%s,%s\r\n" % pair for pair in pairs)
    return ("# MULTI SECTION CSV FORMAT\r\n\r\n[ NTP CLIENT SETTING ]\r\n" + rows).encode("cp932")


def list_bytes(entries):
    """A server-list file of (name, host) rows."""
    return "".join("%s,%s\r\n" % entry for entry in entries).encode("cp932")


def read_text(path, encoding="cp932"):  # None without the file
    try:
        with open(path, "rb") as f:
            return f.read().decode(encoding, errors="replace")
    except OSError:
        return None


def read_settings(path):
    """The (key, value) rows of the settings file in order, or None."""
    text = read_text(path)
    return None if text is None else [tuple(line.split(",", 1)) for line in text.split("\r\n")
                                      if "," in line and not line.startswith("#")]


def read_link(path):
    """(target, working folder, arguments) of a .lnk file (the shell-link format)."""
    with open(path, "rb") as f:
        data = f.read()
    flags, at, strings = struct.unpack_from("<I", data, 0x14)[0], 0x4C, {}
    if flags & 0x1:  # item ID list
        at += 2 + struct.unpack_from("<H", data, at)[0]
    size, _, _, _, base = struct.unpack_from("<5I", data, at) if flags & 0x2 else (0, 0, 0, 0, 0)
    target = data[at + base:data.index(b"\0", at + base)].decode("cp932") if flags & 0x2 else ""  # link info
    at += size
    for bit in (0x4, 0x8, 0x10, 0x20, 0x40):  # name, relative path, folder, arguments, icon (UTF-16)
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            strings[bit] = data[at + 2:at + 2 + 2 * count].decode("utf-16-le").rstrip("\0")
            at += 2 + 2 * count
    return target, strings.get(0x10), strings.get(0x20)


def write_files(folder, files):
    os.makedirs(folder, exist_ok=True)
    for name, content in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(content)


class VantroProgram:
    """Data folder: `data` only ({name: bytes}); program folder: `beside`; a refused clock step in stderr_text()."""

    def __init__(self, driver, data=None, beside=None, args=(), desktop=None):
        self.driver, self.data, self.beside, self.args, self.desktop = driver, data or {}, beside or {}, args, desktop
        self.folder = tempfile.mkdtemp(prefix="vantro-exe-")
        self.process = self.window = None
        self.closed = False

    def path(self, name):
        return os.path.join(self.folder, name)

    def __enter__(self):
        shutil.rmtree(data_folder(), ignore_errors=True)
        write_files(data_folder(), self.data)
        shutil.copyfile(wine.program(PROGRAM), self.path("Vantro.exe"))
        write_files(self.folder, self.beside)
        self.process, self.window = start(self.driver, [self.path("Vantro.exe")] + list(self.args),
                                          self.path("wine-output.txt"), WINDOW_CLASS, {"WINEDEBUG": "-all,err+sync"},
                                          self.desktop)
        if not self.window:
            self.__exit__()
            raise RuntimeError("Vantro.exe showed no main window with a title:\n" + self.stderr_text())
        return self

    def command(self, command_id):
        return self.driver.command(self.window.hwnd, command_id)

    def control(self, control_id):
        return self.driver.child(self.window.hwnd, control_id)

    def stderr_text(self):
        return read_text(self.path("wine-output.txt"), "utf-8")

    def close(self, timeout=60.0):
        """WM_CLOSE; the exit code (None when it did not end), inside a desktop 0 once the window is gone."""
        self.closed = True
        self.driver.post(self.window.hwnd, WM_CLOSE)
        if not self.desktop:
            try:
                return self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                return None
        gone = self.driver.until(lambda: not self.driver.find(WINDOW_CLASS, 0), timeout * 1000)
        self.driver.desktop("Default")  # the virtual desktop ends once nobody uses it
        return 0 if gone else None

    def screenshot(self, path):
        """The virtual desktop's window as a PNG (import on $DISPLAY)."""
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["import", "-window", "%s - Wine desktop" % self.desktop, "-trim", "+repage", path],
                       check=True, timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    def __exit__(self, *exc):
        if self.window is not None and not self.closed:
            self.close(20)
        try:  # a desktop ends by itself once its last window is gone
            self.process.wait(60 if self.desktop else 10)
        except (AttributeError, subprocess.TimeoutExpired):
            pass
        process.reap(self.process)
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.rmtree(data_folder(), ignore_errors=True)
        return False
