"""Free ports, and the daemon peers' common part: temporary folder, faketime skew, bounded start, pid-file stop."""

import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time

from . import PeerUnavailable, StartStop


def free_port(address, kind=socket.SOCK_STREAM):
    """A port (TCP unless kind says otherwise) the system has just handed out on address."""
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind((address, 0))
        return s.getsockname()[1]


def held_udp(address, port):
    """A UDP socket bound to address:port, so that nobody else answers there."""
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        s.bind((address, port))
    except OSError as e:
        s.close()
        raise PeerUnavailable("cannot hold %s:%d: %s" % (address, port, e))
    return s


def accepts(address, port):
    try:
        with socket.create_connection((address, port), timeout=0.5):
            return True
    except OSError:
        return False


def alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(")")[-1].split()[0] != "Z"  # a zombie counts as gone
    except OSError:
        return False


def terminate(pid_file, timeout=10.0):
    """SIGTERM, then SIGKILL, to the pid the file names, each waited for at most timeout seconds."""
    try:
        with open(pid_file) as f:
            pid = int(f.read().strip())
    except (OSError, ValueError):
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.kill(pid, sig)
        except ProcessLookupError:
            return
        deadline = time.monotonic() + timeout
        while alive(pid) and time.monotonic() < deadline:
            time.sleep(0.05)


def reap(process, timeout=10.0):
    """Ends and waits for a Popen object we started (bounded)."""
    if process is None:
        return
    if process.poll() is None:
        process.terminate()
    try:
        process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout)


def find(name, package):
    path = shutil.which(name, path="/usr/sbin:/usr/bin:/sbin:/bin") or shutil.which(name)
    if not path:
        raise PeerUnavailable("%s is not installed (Debian package %s)" % (name, package))
    return path


class Daemon(StartStop):
    """Subclasses name program, package and pid file, write their configuration in command(), answer ready()."""
    program = package = pid_file = None

    def __init__(self, address, skew=None):
        self.address = address
        self.skew = skew
        self.dir = self.process = self.output = None

    def path(self, name):
        return os.path.join(self.dir, name)

    def read(self, name="output.log"):
        try:
            with open(self.path(name), errors="replace") as f:
                return f.read()
        except (OSError, TypeError):
            return ""

    def start(self, ready_timeout=20.0):
        command = [find(self.program, self.package)]
        if self.skew is not None:
            command = [find("faketime", "faketime"), "-f", "%+gs" % self.skew] + command
        self.dir = tempfile.mkdtemp(prefix=self.program + "-")
        os.chmod(self.dir, 0o755)  # daemons started as root may serve from other users
        command += self.command()
        self.output = open(self.path("output.log"), "w")
        try:
            self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=self.output,
                                            stderr=subprocess.STDOUT)
        except OSError as e:
            self.stop()
            raise PeerUnavailable("%s did not start: %s" % (self.program, e))
        deadline = time.monotonic() + ready_timeout
        while time.monotonic() < deadline and self.process.poll() is None:
            if os.path.exists(self.path(self.pid_file)) and self.ready():
                return self
            time.sleep(0.1)
        tail = (self.read() + self.read("error.log"))[-2000:]
        self.stop()
        raise PeerUnavailable("%s did not answer on %s:\n%s" % (self.program, self.address, tail))

    def stop(self, timeout=10.0):
        if self.dir is not None:
            terminate(self.path(self.pid_file), timeout)
        reap(self.process, timeout)
        if self.output is not None:
            self.output.close()
        if self.dir is not None:
            shutil.rmtree(self.dir, ignore_errors=True)
        self.dir = self.process = self.output = None
