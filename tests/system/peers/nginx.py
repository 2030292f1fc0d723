"""nginx (Debian nginx-light) as web server on a loopback address, optionally
skewed with faketime.

The server runs with a temporary prefix (configuration, pid file, logs,
document root) and `daemon off;`; it is stopped through its own pid file.
The access log has one line per request:
    "REQUEST LINE" host="..." connection="..." pragma="..." referer="..." agent="..." status=N
"""

import os
import shutil
import subprocess
import tempfile
import time

from . import PeerUnavailable
from . import process as proc

LOG_FORMAT = ('\'"$request" host="$http_host" connection="$http_connection" pragma="$http_pragma" '
              'referer="$http_referer" agent="$http_user_agent" status=$status\'')


class NginxServer:
    """nginx -p PREFIX -c CONF serving `files` (name -> bytes) on address:ports.

    redirects: path -> Location of a 302 answer. statuses: path -> status of
    an error answer; error_pages: status -> file of `files` served as the
    body of every answer with that status. skew: seconds added to the
    server's clock through faketime (None: none).
    """

    def __init__(self, address="127.0.0.41", ports=None, files=None, redirects=None, skew=None,
                 statuses=None, error_pages=None):
        self.address = address
        self.ports = list(ports) if ports else [proc.free_port(address)]
        self.files = files or {}
        self.redirects = redirects or {}
        self.statuses = statuses or {}
        self.error_pages = error_pages or {}
        self.skew = skew
        self.prefix = None
        self.process = None

    def url(self, path="/", port=None):
        port = port or self.ports[0]
        return "http://%s%s%s" % (self.address, "" if port == 80 else ":%d" % port, path)

    def _path(self, name):
        return os.path.join(self.prefix, name)

    def access_log(self):
        try:
            with open(self._path("access.log"), errors="replace") as f:
                return f.read().splitlines()
        except OSError:
            return []

    def error_tail(self, lines=20):
        try:
            with open(self._path("error.log"), errors="replace") as f:
                return "".join(f.readlines()[-lines:])
        except OSError:
            return ""

    def _write_config(self):
        # nginx clears the workers' environment; libfaketime reads FAKETIME
        # again after its cache time, and would then drop the skew.
        conf = ["daemon off;", "worker_processes 1;", "env FAKETIME;",
                "pid %s;" % self._path("nginx.pid"),
                "error_log %s info;" % self._path("error.log"),
                "events { worker_connections 64; }",
                "http {",
                "  log_format probe %s;" % LOG_FORMAT,
                "  access_log %s probe;" % self._path("access.log"),
                "  types { text/html html; text/plain txt; application/octet-stream bin; }"]
        for kind in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"):
            conf.append("  %s_temp_path %s;" % (kind, self._path("tmp-" + kind)))
        conf.append("  server {")
        conf += ["    listen %s:%d;" % (self.address, port) for port in self.ports]
        conf.append("    root %s;" % self._path("html"))
        for path, location in self.redirects.items():
            conf.append("    location = %s { return 302 %s; }" % (path, location))
        for path, status in self.statuses.items():
            conf.append("    location = %s { return %d; }" % (path, status))
        for status, name in self.error_pages.items():
            conf.append("    error_page %d /%s;" % (status, name.lstrip("/")))
        conf += ["  }", "}"]
        with open(self._path("nginx.conf"), "w") as f:
            f.write("\n".join(conf) + "\n")

    def start(self, ready_timeout=20.0):
        binary = shutil.which("nginx", path="/usr/sbin:/usr/bin:/sbin") or shutil.which("nginx")
        if not binary:
            raise PeerUnavailable("nginx is not installed (Debian package nginx-light)")
        command = [binary]
        if self.skew is not None:
            faketime = shutil.which("faketime")
            if not faketime:
                raise PeerUnavailable("faketime is not installed (Debian package faketime)")
            command = [faketime, "-f", "%+gs" % self.skew, binary]
        for port in self.ports:
            if not proc.port_free(self.address, port):
                raise PeerUnavailable("%s:%d is in use" % (self.address, port))
        self.prefix = tempfile.mkdtemp(prefix="nginx-")
        # Started as root, nginx serves from unprivileged worker processes.
        os.chmod(self.prefix, 0o755)
        os.mkdir(self._path("html"), 0o755)
        for name, data in self.files.items():
            path = os.path.join(self._path("html"), name.lstrip("/"))
            with open(path, "wb") as f:
                f.write(data)
            os.chmod(path, 0o644)
        self._write_config()
        command += ["-p", self.prefix, "-c", self._path("nginx.conf"), "-e", self._path("error.log")]
        try:
            self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except OSError as e:
            self.stop()
            raise PeerUnavailable("nginx did not start: %s" % e)
        deadline = time.monotonic() + ready_timeout
        while time.monotonic() < deadline and self.process.poll() is None:
            if os.path.exists(self._path("nginx.pid")) and all(
                    proc.accepts(self.address, port) for port in self.ports):
                return self
            time.sleep(0.1)
        tail = self.error_tail()
        self.stop()
        raise PeerUnavailable("nginx did not answer on %s %s:\n%s" % (self.address, self.ports, tail))

    def stop(self, timeout=10.0):
        """Stops nginx through its pid file (under faketime the child of
        faketime), then reaps the process we started. Bounded."""
        if self.prefix is not None:
            pid = proc.read_pid(self._path("nginx.pid"))
            if pid is not None:
                proc.terminate(pid, timeout)
        proc.reap(self.process, timeout)
        self.process = None
        if self.prefix is not None:
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.prefix = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False
