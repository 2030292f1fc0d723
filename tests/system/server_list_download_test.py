"""Server-list downloads (server_list_probe) from nginx and a broken server: only a whole list replaces the old.

(Wine reports a reset as an orderly end, so a reset inside a body of unknown length is not shown here.)
"""

import http.server
import os
import pathlib
import shutil
import sys
import tempfile
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import nginx, process, run_checks, wine  # noqa: E402

FIRST, SECOND = "127.0.0.51", "127.0.0.52"
LIST = '# served list\r\n"Served One",one.example\r\nTwo,two.example\r\n'.encode("cp932")
HTTP_LIST = b"Web,http://web.example/\r\n"
# Error pages that would read as lists: every line has a comma.
ERROR_PAGE = b"<html><head><title>Not here, sorry</title></head>\r\n<body>Try again, later</body></html>\r\n"
PREVIOUS = b"Previous,previous.example\r\n"
CHAINS = (1, 9, 10)


class Broken(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        mode = self.path.split("/")[1]
        self.close_connection = True
        header = {"short": "Location: http", "cut": "Content-Length: %d" % (len(LIST) + 100),
                  "big": "Content-Length: 2000000"}.get(mode, "Transfer-Encoding: chunked")
        self.wfile.write(b"HTTP/1.1 %d X\r\n%s\r\n\r\n" % (302 if mode == "short" else 200, header.encode()))
        if mode in ("cut", "big"):
            self.wfile.write(LIST)
        elif mode in ("chunked", "chunkcut"):
            for part in (LIST[:len(LIST) // 2], LIST[len(LIST) // 2:]):
                self.wfile.write(b"%x;ext=1\r\n" % len(part) + part + b"\r\n")
                if mode == "chunkcut":
                    return
            self.wfile.write(b"0\r\n\r\n")


def run_case(name, base_url, expect_ok, protocol="ntp", served=LIST, first="Served One (one.example)"):
    """One download into a data folder holding the settings and a previous list."""
    data = tempfile.mkdtemp(prefix="lists-")
    try:
        pathlib.Path(data, "ntp_config.txt").write_bytes(b"# MULTI SECTION CSV FORMAT\r\n\r\n[ NTP CLIENT SETTING ]\r\n"
                                                         b"sProtocol,%s\r\nsServerListUrl,%s\r\n"
                                                         % (protocol.encode(), base_url.encode()))
        pathlib.Path(data, protocol + "_server.txt").write_bytes(PREVIOUS)
        wanted = snapshot(data)
        folder = wine.windows_path(data) + "\\"
        done = wine.run(wine.program("tests/system/server_list_probe.exe"), folder, folder, "--timeout", 15000)
        got = wine.key_values(done.stdout)
        print("%-10s result %s, %s entries, %s ms" % (name, got.get("result"), got.get("count"), got.get("elapsed_ms")))
        failures = []
        if expect_ok:
            wanted.update({protocol + "_server.txt": served, protocol + "_server.old": PREVIOUS})
            if (got.get("entry.0"), got.get("selection")) != (first, "0"):
                failures.append("%s: list shown %r" % (name, done.stdout))
        if got.get("result") != ("1" if expect_ok else "0"):
            failures.append("%s: result %r, expected %s" % (name, got.get("result"), expect_ok))
        if snapshot(data) != wanted:
            failures.append("%s: files %r, expected %r" % (name, snapshot(data), wanted))
        return failures
    finally:
        shutil.rmtree(data, ignore_errors=True)


def snapshot(folder):
    return {name: open(os.path.join(folder, name), "rb").read() for name in os.listdir(folder)
            if name != "ntp_config.txt"}


def check_nginx():
    """/cN/MAAA -> /cN/1 -> ... -> /list.txt: N redirects, alternating hosts."""
    failures = []
    ports = (process.free_port(FIRST), process.free_port(SECOND))
    hosts = ("http://%s:%d" % (FIRST, ports[0]), "http://%s:%d" % (SECOND, ports[1]))
    redirects = {"/empty/MAAA": hosts[1] + "/empty.txt", "/web/NAAA": hosts[1] + "/http.txt"}
    for n in CHAINS:
        steps = ["/c%d/MAAA" % n] + ["/c%d/%d" % (n, i) for i in range(1, n)] + ["/list.txt"]
        redirects.update({steps[i]: hosts[(i + 1) % 2] + steps[i + 1] for i in range(n)})
    files = {"list.txt": LIST, "empty.txt": b"", "http.txt": HTTP_LIST, "e404.html": ERROR_PAGE,
             "e500.html": ERROR_PAGE}
    errors = {"statuses": {"/fail/MAAA": 500}, "error_pages": {404: "e404.html", 500: "e500.html"}}
    with nginx.NginxServer(FIRST, ports=ports[:1], files=files, redirects=redirects, **errors), \
            nginx.NginxServer(SECOND, ports=ports[1:], files=files, redirects=redirects):
        for n in CHAINS:
            failures += run_case("chain %d" % n, hosts[0] + "/c%d" % n, expect_ok=n < 10)
        failures += run_case("http", hosts[0] + "/web/", True, "http", HTTP_LIST, "Web (http://web.example/)")
        failures += run_case("empty", hosts[0] + "/empty", expect_ok=False)
        failures += run_case("404 page", hosts[0] + "/missing", expect_ok=False)
        failures += run_case("500 page", hosts[0] + "/fail", expect_ok=False)
    return failures


def check_broken_answers():
    broken = http.server.ThreadingHTTPServer((SECOND, 0), Broken)
    broken.daemon_threads = True
    thread = threading.Thread(target=broken.serve_forever, kwargs={"poll_interval": 0.05})
    thread.start()
    odd = "http://%s:%d/" % (SECOND, broken.server_address[1])
    try:
        return sum((run_case(mode, odd + mode, mode == "chunked")
                    for mode in ("chunked", "short", "cut", "chunkcut", "big")), [])
    finally:
        broken.shutdown()
        broken.server_close()
        thread.join(10)


if __name__ == "__main__":
    sys.exit(run_checks(check_nginx, check_broken_answers))
