"""Vantro.exe under Wine from a folder of its own, its data folder (the all-users one: Wine's token is elevated)
seeded, started directly or in a Wine virtual desktop (which draws caption bars). For the system tests, make run."""

import os
import shutil
import struct
import subprocess

from . import wine
from .window_driver import WM_CLOSE, Program, read_text

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


class VantroProgram(Program):
    """Data folder: `data` only ({name: bytes}); program folder: `beside`; a refused clock step in output_text()."""

    def __init__(self, driver, data=None, beside=None, args=(), desktop=None):
        super().__init__(driver, PROGRAM, WINDOW_CLASS, args, {"WINEDEBUG": "-all,err+sync"}, desktop)
        self.data, self.beside = data or {}, beside or {}

    def prepare(self):
        shutil.rmtree(data_folder(), ignore_errors=True)
        write_files(data_folder(), self.data)
        write_files(self.folder, self.beside)

    def control(self, control_id):
        return self.driver.child(self.window.hwnd, control_id)

    def close(self, timeout=60.0):
        """WM_CLOSE; the exit code (None when it did not end), inside a desktop 0 once the window is gone."""
        self.closed = True
        self.driver.post(self.window.hwnd, WM_CLOSE)
        if not self.desktop:
            return self.wait(timeout)
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
        super().__exit__()
        shutil.rmtree(data_folder(), ignore_errors=True)
        return False
