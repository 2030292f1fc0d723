"""The server engine under Wine (tests/system/sorbel_probe.exe) serving an INI file."""

import os
import shutil
import socket
import struct
import subprocess
import tempfile
import time

from . import StartStop, process, wine


def ntp_stamp(t):
    """Unix time t as an NTP timestamp (8 bytes)."""
    return struct.pack("!II", (int(t) + 2208988800) & 0xFFFFFFFF, int(t % 1 * (1 << 32)))


def request(transmit=None):
    """A 48-byte client request whose Transmit Timestamp is `transmit` (8 bytes, now by default)."""
    return b"\x23" + bytes(39) + (transmit or ntp_stamp(time.time()))


def free_udp_port():
    """A UDP port free on every local address at this moment."""
    return process.free_port("0.0.0.0", socket.SOCK_DGRAM)


def ask(port, data, address="127.0.0.1", timeout=0.5):
    """Sends data to address:port, returns the first datagram that comes back (or None)."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.settimeout(timeout)
        s.sendto(data, (address, port))
        try:
            return s.recvfrom(2048)[0]
        except OSError:
            return None


class SorbelProbe(StartStop):
    """sorbel_probe.exe on an INI file of settings {section: {key: value}}; start() waits until our own
    responder answers on NTP_PORT (another server there fails), stop() returns its key=value output."""

    def __init__(self, settings, seconds=60, broadcasts=0):
        self.settings = settings
        self.seconds = seconds
        self.broadcasts = broadcasts
        self.dir = self.process = self.output = self.values = None
        self.port = int(settings.get("NTPCONFIG", {}).get("NTP_PORT", 123))

    def start(self, ready_timeout=60.0):
        self.dir = tempfile.mkdtemp(prefix="sorbel-")
        self.ini = os.path.join(self.dir, "SORBEL.INI")
        with open(self.ini, "w", newline="\r\n") as f:
            for section, keys in self.settings.items():
                f.write("[%s]\n" % section + "".join("%s=%s\n" % item for item in keys.items()))
        self.output = open(os.path.join(self.dir, "out.txt"), "w+b")
        self.process = subprocess.Popen(
            [os.path.join(wine.build_dir(), "wine-run.sh"), wine.program("tests/system/sorbel_probe.exe"),
             wine.windows_path(self.ini), str(self.seconds), str(self.broadcasts)],
            stdin=subprocess.DEVNULL, stdout=self.output, stderr=subprocess.STDOUT)
        if self.settings.get("SORBEL", {}).get("MODE_NTP_RESPONSE", "ON").upper() != "ON":
            return self
        deadline = time.monotonic() + ready_timeout
        while time.monotonic() < deadline and self.process.poll() is None:
            with open(self.output.name, "rb") as f:
                started = wine.key_values(f.read().decode("cp932", errors="replace")).get("response")
            if started == "0":
                break
            if started == "1" and ask(self.port, request(), timeout=0.2):
                return self
            time.sleep(0.05)
        out = self.stop()
        raise RuntimeError("the responder did not get or answer on port %d: %r" % (self.port, out))

    def stop(self, timeout=30.0):
        """Stops the probe (bounded) and returns its output as a dict."""
        if self.process is not None:
            open(self.ini + ".stop", "w").close()
            try:
                self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.reap(self.process)
        if self.output is not None:
            self.output.seek(0)
            text = self.output.read().decode("cp932", errors="replace")
            self.output.close()
            self.values = dict(wine.key_values(text), _text=text)
        if self.dir is not None:
            shutil.rmtree(self.dir, ignore_errors=True)
        self.dir = self.process = self.output = None
        return self.values
