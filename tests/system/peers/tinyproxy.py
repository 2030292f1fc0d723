"""tinyproxy (Debian) as HTTP proxy on a loopback address.

Runs in the foreground (-d) with a temporary configuration, pid file and
log; it is stopped through its own pid file. Its log names the request line
of every request it received ("Request (file descriptor N): LINE").
"""

import os
import re
import shutil
import subprocess
import tempfile
import time

from . import PeerUnavailable
from . import process as proc

_REQUEST = re.compile(r"Request \(file descriptor \d+\): (.*)$")


class TinyProxy:
    """tinyproxy -d -c CONF listening on address:port (a free port by default)."""

    def __init__(self, address="127.0.0.42", port=None):
        self.address = address
        self.port = port or proc.free_port(address)
        self.dir = None
        self.process = None
        self.output = None

    @property
    def text(self):
        """host:port, as a proxy setting names it."""
        return "%s:%d" % (self.address, self.port)

    def _path(self, name):
        return os.path.join(self.dir, name)

    def log(self):
        try:
            with open(self._path("tinyproxy.log"), errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def request_lines(self):
        """The request lines tinyproxy received, in order."""
        return [m.group(1).strip() for m in map(_REQUEST.search, self.log().splitlines()) if m]

    def start(self, ready_timeout=20.0):
        binary = shutil.which("tinyproxy", path="/usr/bin:/usr/sbin") or shutil.which("tinyproxy")
        if not binary:
            raise PeerUnavailable("tinyproxy is not installed (Debian package tinyproxy)")
        if not proc.port_free(self.address, self.port):
            raise PeerUnavailable("%s is in use" % self.text)
        self.dir = tempfile.mkdtemp(prefix="tinyproxy-")
        with open(self._path("tinyproxy.conf"), "w") as f:
            # No User/Group: it stays the user that started it (root here
            # only warns), so its files under the temporary folder stay writable.
            f.write("Port %d\nListen %s\nTimeout 30\nMaxClients 10\nAllow 127.0.0.0/8\n"
                    'LogFile "%s"\nLogLevel Info\nPidFile "%s"\n'
                    % (self.port, self.address, self._path("tinyproxy.log"), self._path("tinyproxy.pid")))
        self.output = open(self._path("stdout.log"), "w")
        try:
            self.process = subprocess.Popen([binary, "-d", "-c", self._path("tinyproxy.conf")],
                                            stdin=subprocess.DEVNULL, stdout=self.output,
                                            stderr=subprocess.STDOUT)
        except OSError as e:
            self.stop()
            raise PeerUnavailable("tinyproxy did not start: %s" % e)
        deadline = time.monotonic() + ready_timeout
        while time.monotonic() < deadline and self.process.poll() is None:
            if os.path.exists(self._path("tinyproxy.pid")) and proc.accepts(self.address, self.port):
                return self
            time.sleep(0.1)
        with open(self._path("stdout.log"), errors="replace") as f:
            tail = f.read()[-2000:]
        self.stop()
        raise PeerUnavailable("tinyproxy did not answer on %s:\n%s" % (self.text, tail))

    def stop(self, timeout=10.0):
        if self.dir is not None:
            pid = proc.read_pid(self._path("tinyproxy.pid"))
            if pid is not None:
                proc.terminate(pid, timeout)
        proc.reap(self.process, timeout)
        self.process = None
        if self.output is not None:
            self.output.close()
            self.output = None
        if self.dir is not None:
            shutil.rmtree(self.dir, ignore_errors=True)
            self.dir = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False
