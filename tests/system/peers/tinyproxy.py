"""tinyproxy (Debian) as a loopback HTTP proxy in the foreground; its log names every request line."""

import re

from .process import Daemon, accepts, free_port

_REQUEST = re.compile(r"Request \(file descriptor \d+\): (.*)$", re.MULTILINE)


class TinyProxy(Daemon):
    program, package, pid_file = "tinyproxy", "tinyproxy", "tinyproxy.pid"

    def __init__(self, address="127.0.0.42", port=None):
        Daemon.__init__(self, address)
        self.port = port or free_port(address)
        self.text = "%s:%d" % (address, self.port)  # as a proxy setting names it

    def request_lines(self):
        return [line.strip() for line in _REQUEST.findall(self.read("tinyproxy.log"))]

    def command(self):
        # No User/Group: it stays the user that started it, so its files stay writable.
        with open(self.path("tinyproxy.conf"), "w") as f:
            f.write("Port %d\nListen %s\nTimeout 30\nMaxClients 10\nAllow 127.0.0.0/8\nLogFile \"%s\"\n"
                    "LogLevel Info\nPidFile \"%s\"\n" % (self.port, self.address, self.path("tinyproxy.log"),
                                                        self.path(self.pid_file)))
        return ["-d", "-c", self.path("tinyproxy.conf")]

    def ready(self):
        return accepts(self.address, self.port)
