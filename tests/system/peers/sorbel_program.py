"""Sorbel.exe under Wine from a folder of its own (with its SORBEL.INI), driven through its controller window."""

from .sorbel import ask, request
from .window_driver import Program, read_text

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


class SorbelProgram(Program):
    """With SORBEL.INI from `settings` ({"SECTION": {"KEY": value}}; None: no file), `args`, and `env` added to the
    environment; close() exits through the menu command."""

    def __init__(self, driver, settings=None, args=(), env=None):
        super().__init__(driver, PROGRAM, WINDOW_CLASS, args, env)
        self.settings, self.ini_path = settings, self.path("SORBEL.INI")

    def prepare(self):
        if self.driver.find(WINDOW_CLASS, 0):
            raise RuntimeError("another Sorbel.exe runs in this Wine prefix; ours would end at once")
        if self.settings is not None:
            with open(self.ini_path, "w", encoding="cp932", newline="") as f:
                f.write("".join("[%s]\r\n" % section + "".join("%s=%s\r\n" % kv for kv in keys.items())
                                for section, keys in self.settings.items()))

    def close(self):
        """Exits through the menu command (bounded); the exit code."""
        self.closed = True
        if self.process.poll() is None:
            self.command(EXIT)
        return self.wait()

    def answers(self, port, address="127.0.0.1", tries=20):
        """True when a client request to port is answered (bounded)."""
        return any(ask(port, request(), address, timeout=0.25) for _ in range(tries))
