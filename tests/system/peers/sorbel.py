"""The server engine under Wine (tests/system/sorbel_probe.exe) serving an INI file."""

import os
import shutil
import socket
import struct
import subprocess
import tempfile
import time

from . import process, wine

NTP_EPOCH = 2208988800


def ntp_time(t):
    """The 64-bit NTP timestamp of Unix time t, as bytes."""
    seconds = int(t)
    fraction = int((t - seconds) * (1 << 32)) & 0xFFFFFFFF
    return struct.pack("!II", (seconds + NTP_EPOCH) & 0xFFFFFFFF, fraction)


def request(transmit=None, first=0x23):
    """A 48-byte client request whose Transmit Timestamp is `transmit` (8 bytes)."""
    if transmit is None:
        transmit = ntp_time(time.time())
    return bytes([first]) + bytes(39) + transmit


def free_udp_port():
    """A UDP port free on every local address at this moment."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("0.0.0.0", 0))
        return s.getsockname()[1]


def ask(port, data, address="127.0.0.1", timeout=0.5):
    """Sends data, returns the first datagram that comes back (or None)."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.settimeout(timeout)
        s.sendto(data, (address, port))
        try:
            return s.recvfrom(2048)[0]
        except OSError:
            return None


class SorbelProbe:
    """sorbel_probe.exe INI SECONDS [BROADCASTS] as a context manager.

    `settings`: {"NTPCONFIG": {...}, "SORBEL": {...}} written to the INI file.
    start() waits (bounded) until the responder answers on NTP_PORT unless
    response mode is off; stop() asks the probe to stop through its stop file
    and returns its key=value output.
    """

    def __init__(self, settings, seconds=60, broadcasts=0):
        self.settings = settings
        self.seconds = seconds
        self.broadcasts = broadcasts
        self.dir = None
        self.process = None
        self.output = None
        self.values = None

    @property
    def port(self):
        return int(self.settings.get("NTPCONFIG", {}).get("NTP_PORT", 123))

    def start(self, ready_timeout=60.0):
        self.dir = tempfile.mkdtemp(prefix="sorbel-")
        self.ini = os.path.join(self.dir, "SORBEL.INI")
        with open(self.ini, "w", newline="\r\n") as f:
            for section, keys in self.settings.items():
                f.write("[%s]\n" % section)
                for key, value in keys.items():
                    f.write("%s=%s\n" % (key, value))
        exe = wine.program("tests/system/sorbel_probe.exe")
        self.output = open(os.path.join(self.dir, "out.txt"), "w+b")
        self.process = subprocess.Popen(
            [os.path.join(wine.build_dir(), "wine-run.sh"), exe, self._wine_path(self.ini),
             str(self.seconds), str(self.broadcasts)],
            stdin=subprocess.DEVNULL, stdout=self.output, stderr=subprocess.STDOUT)
        if self.settings.get("SORBEL", {}).get("MODE_NTP_RESPONSE", "ON").upper() != "ON":
            return self
        # An answer counts only once our own responder has the port: another
        # server on it must fail the test, not stand in for ours.
        deadline = time.monotonic() + ready_timeout
        bound = False
        while time.monotonic() < deadline and self.process.poll() is None:
            if not bound:
                started = self._started()
                if started is None:
                    time.sleep(0.05)
                    continue
                if not started:
                    break
                bound = True
            if ask(self.port, request(), timeout=0.2):
                return self
        out = self.stop()
        raise RuntimeError("the responder did not get or answer on port %d: %r" % (self.port, out))

    def _started(self):
        """True/False from the probe's response= line, None until it is printed."""
        self.output.flush()
        with open(self.output.name, "rb") as f:
            values = wine.key_values(f.read().decode("cp932", errors="replace"))
        return None if "response" not in values else values["response"] == "1"

    @staticmethod
    def _wine_path(path):
        # Wine maps the Unix root to drive Z:.
        return "Z:" + path.replace("/", "\\")

    def stop(self, timeout=30.0):
        """Stops the probe (bounded) and returns its output as a dict."""
        if self.process is not None:
            open(self.ini + ".stop", "w").close()
            try:
                self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.reap(self.process)
            self.process = None
        if self.output is not None:
            self.output.seek(0)
            text = self.output.read().decode("cp932", errors="replace")
            self.output.close()
            self.output = None
            self.values = wine.key_values(text)
            self.values["_text"] = text
        if self.dir is not None:
            shutil.rmtree(self.dir, ignore_errors=True)
            self.dir = None
        return self.values

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False
