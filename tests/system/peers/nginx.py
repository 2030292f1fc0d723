"""nginx (Debian nginx-light) as a loopback web server, skewed by faketime; an access log line per request."""

import os

from .process import Daemon, accepts, free_port

LOG_FORMAT = ('\'"$request" host="$http_host" connection="$http_connection" pragma="$http_pragma" '
              'referer="$http_referer" agent="$http_user_agent" status=$status\'')


class NginxServer(Daemon):
    """Serves files {name: bytes} on address:ports; redirects {path: Location of a 302}, statuses {path: status},
    error_pages {status: file of files as the body of every answer with that status}."""
    program, package, pid_file = "nginx", "nginx-light", "nginx.pid"

    def __init__(self, address="127.0.0.41", ports=None, files=None, redirects=None, skew=None,
                 statuses=None, error_pages=None):
        Daemon.__init__(self, address, skew)
        self.ports = list(ports) if ports else [free_port(address)]
        self.files = files or {}
        self.redirects = redirects or {}
        self.statuses = statuses or {}
        self.error_pages = error_pages or {}

    def url(self, path="/"):
        return "http://%s:%d%s" % (self.address, self.ports[0], path)

    def access_log(self):
        return self.read("access.log").splitlines()

    def command(self):
        os.mkdir(self.path("html"), 0o755)
        for name, data in self.files.items():
            with open(self.path("html/" + name.lstrip("/")), "wb") as f:
                f.write(data)
            os.chmod(f.name, 0o644)
        # nginx clears the workers' environment; libfaketime reads FAKETIME
        # again after its cache time, and would then drop the skew.
        conf = ["daemon off;", "worker_processes 1;", "env FAKETIME;", "pid %s;" % self.path(self.pid_file),
                "error_log %s info;" % self.path("error.log"), "events { worker_connections 64; }", "http {",
                "  log_format probe %s;" % LOG_FORMAT, "  access_log %s probe;" % self.path("access.log"),
                "  types { text/html html; text/plain txt; application/octet-stream bin; }"]
        conf += ["  %s_temp_path %s;" % (k, self.path("tmp-" + k)) for k in ("client_body", "proxy", "fastcgi",
                                                                          "uwsgi", "scgi")]
        conf += ["  server {"] + ["    listen %s:%d;" % (self.address, p) for p in self.ports]
        conf += ["    root %s;" % self.path("html")]
        conf += ["    location = %s { return 302 %s; }" % item for item in self.redirects.items()]
        conf += ["    location = %s { return %d; }" % item for item in self.statuses.items()]
        conf += ["    error_page %d /%s;" % (s, n.lstrip("/")) for s, n in self.error_pages.items()]
        with open(self.path("nginx.conf"), "w") as f:
            f.write("\n".join(conf + ["  }", "}"]) + "\n")
        return ["-p", self.dir, "-c", self.path("nginx.conf"), "-e", self.path("error.log")]

    def ready(self):
        return all(accepts(self.address, p) for p in self.ports)
