"""chronyd as an NTP server on a loopback address, optionally skewed with faketime."""

import os
import shutil
import signal
import socket
import struct
import subprocess
import tempfile
import time

from . import PeerUnavailable


def sntp_answers(address, port=123, timeout=1.0):
    """True when a mode-4, synchronised reply comes back to a client request."""
    request = b"\x23" + bytes(47)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.settimeout(timeout)
        try:
            s.sendto(request, (address, port))
            data, _ = s.recvfrom(512)
        except OSError:
            return False
    if len(data) < 48:
        return False
    first = data[0]
    return first & 7 == 4 and first >> 6 != 3


class ChronyServer:
    """chronyd -x -d -f CONF serving `address`:`port`.

    skew: seconds added to the server's clock through faketime (None: none).
    chronyd -x never touches the system clock.
    """

    def __init__(self, address="127.0.0.2", skew=None, port=123, stratum=8):
        self.address = address
        self.skew = skew
        self.port = port
        self.stratum = stratum
        self.dir = None
        self.process = None
        self.log_file = None

    @property
    def pid_file(self):
        return os.path.join(self.dir, "chronyd.pid")

    @property
    def log_path(self):
        return os.path.join(self.dir, "chronyd.log")

    def log_tail(self, lines=20):
        try:
            with open(self.log_path, errors="replace") as f:
                return "".join(f.readlines()[-lines:])
        except OSError:
            return ""

    def start(self, ready_timeout=20.0):
        chronyd = shutil.which("chronyd") or shutil.which("chronyd", path="/usr/sbin:/sbin")
        if not chronyd:
            raise PeerUnavailable("chronyd is not installed (Debian package chrony)")
        faketime = None
        if self.skew is not None:
            faketime = shutil.which("faketime")
            if not faketime:
                raise PeerUnavailable("faketime is not installed (Debian package faketime)")
        if sntp_answers(self.address, self.port, 0.5):
            raise PeerUnavailable("another NTP server already answers on %s:%d" % (self.address, self.port))
        self.dir = tempfile.mkdtemp(prefix="chrony-")
        conf = os.path.join(self.dir, "chrony.conf")
        with open(conf, "w") as f:
            f.write("local stratum %d\n" % self.stratum)
            f.write("allow 127.0.0.0/8\n")
            f.write("bindaddress %s\n" % self.address)
            f.write("port %d\n" % self.port)
            f.write("cmdport 0\n")
            f.write("pidfile %s\n" % self.pid_file)
            f.write("driftfile %s\n" % os.path.join(self.dir, "drift"))
        command = [chronyd, "-x", "-d"]
        if os.getuid() == 0:
            command += ["-u", "root"]  # no privilege drop: the temporary files stay writable
        command += ["-f", conf]
        if faketime:
            command = [faketime, "-f", "%+gs" % self.skew] + command
        self.log_file = open(self.log_path, "w")
        try:
            self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                            stdout=self.log_file, stderr=subprocess.STDOUT)
        except OSError as e:
            self.stop()
            raise PeerUnavailable("chronyd did not start: %s" % e)
        deadline = time.monotonic() + ready_timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                break
            if os.path.exists(self.pid_file) and sntp_answers(self.address, self.port, 0.5):
                return self
            time.sleep(0.2)
        tail = self.log_tail()
        self.stop()
        raise PeerUnavailable("chronyd did not answer on %s:%d:\n%s" % (self.address, self.port, tail))

    def _server_pid(self):
        try:
            with open(self.pid_file) as f:
                return int(f.read().strip())
        except (OSError, ValueError):
            return None

    def stop(self, timeout=10.0):
        """Stops chronyd through its own pid file (under faketime the child of
        faketime), then reaps the process we started. Bounded."""
        pid = self._server_pid()
        if pid is not None:
            _terminate(pid, timeout)
        if self.process is not None:
            if self.process.poll() is None:
                self.process.terminate()
            try:
                self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout)
            self.process = None
        if self.log_file is not None:
            self.log_file.close()
            self.log_file = None
        if self.dir is not None:
            shutil.rmtree(self.dir, ignore_errors=True)
            self.dir = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False


def _alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    # A zombie child of faketime counts as gone.
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False


def _terminate(pid, timeout):
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.kill(pid, sig)
        except ProcessLookupError:
            return
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not _alive(pid):
                return
            time.sleep(0.1)
