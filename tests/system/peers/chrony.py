"""chronyd -x (never touching the clock) as a loopback NTP server, skewed by faketime; chronyd -Q as a client."""

import os
import re
import subprocess
import tempfile

from . import PeerUnavailable
from .process import Daemon, find
from .sorbel import ask


def sntp_answers(address, port=123, timeout=0.5):
    """True when a mode-4, synchronised reply comes back to a client request."""
    data = ask(port, b"\x23" + bytes(47), address, timeout) or b""
    return len(data) >= 48 and data[0] & 7 == 4 and data[0] >> 6 != 3


# No privilege drop when started as root: the temporary files stay writable.
AS_ROOT = ["-u", "root"] if os.getuid() == 0 else []


class ChronyServer(Daemon):
    """chronyd -x -d -f CONF serving address:port, skew seconds ahead."""
    program, package, pid_file = "chronyd", "chrony", "chronyd.pid"

    def __init__(self, address="127.0.0.2", skew=None, port=123):
        Daemon.__init__(self, address, skew)
        self.port = port

    def start(self, ready_timeout=20.0):
        if sntp_answers(self.address, self.port):
            raise PeerUnavailable("another NTP server already answers on %s:%d" % (self.address, self.port))
        return Daemon.start(self, ready_timeout)

    def command(self):
        with open(self.path("chrony.conf"), "w") as f:
            f.write("local stratum 8\nallow 127.0.0.0/8\nbindaddress %s\nport %d\ncmdport 0\npidfile %s\n"
                    "driftfile %s\n" % (self.address, self.port, self.path(self.pid_file), self.path("drift")))
        return ["-x", "-d"] + AS_ROOT + ["-f", self.path("chrony.conf")]

    def ready(self):
        return sntp_answers(self.address, self.port)


def query_offset(address, port):
    """The offset chronyd -Q measures against address:port (server minus local, s)."""
    with tempfile.TemporaryDirectory(prefix="chrony-q-", ignore_cleanup_errors=True) as work:
        with open(os.path.join(work, "chrony.conf"), "w") as f:
            f.write("server %s port %d iburst\ncmdport 0\npidfile %s\n"
                    % (address, port, os.path.join(work, "chronyd.pid")))
        command = [find("chronyd", "chrony"), "-Q", "-x", "-t", "30"] + AS_ROOT + ["-f", f.name]
        run = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
    found = re.search(r"System clock wrong by (-?\d+\.\d+) seconds", run.stdout + run.stderr)
    if not found:
        raise RuntimeError("chronyd -Q measured nothing (rc %d):\n%s%s" % (run.returncode, run.stdout, run.stderr))
    return float(found.group(1))
