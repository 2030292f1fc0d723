"""HTTP requests through CHTTPSocket (http_probe under Wine) against nginx,
through tinyproxy, and against misbehaving servers of this test's own.

Shown: the request line and the headers as nginx receives them; 200 with
its body read through CSocketReader, 302 with Location, 404 with Date;
through the proxy the absolute URL (port 80 and port 8080 forms); and the
-1 / 0 results of broken responses, each within the request's total bound.
"""

import os
import socketserver
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import SKIP_EXIT_CODE, PeerUnavailable  # noqa: E402
from peers import nginx, tinyproxy, wine  # noqa: E402

WEB = "127.0.0.41"
PROXY = "127.0.0.42"
ODD = "127.0.0.43"
AGENT = "Mozilla/2.0 (compatible; MSIE 3.01; Windows 95)"
DATA = bytes(range(256)) * 8 + b"\r\n\x00end"
BOUND_MS = 3000  # the total bound given for the misbehaving servers
SLACK_MS = 3000
DATE = b"Date: Mon, 01 Jan 2024 00:00:00 GMT\r\n"
REPLIES = {  # None: silence until the server stops
    "no-blank": b"HTTP/1.1 200 OK\r\n" + DATE,
    "http2": b"HTTP/2 200\r\n" + DATE + b"\r\n",
    "silent": None,
    "trickle": b"HTTP/1.1 200 OK\r\n" + DATE + b"\r\n",  # one byte per second
}


class OddServer(socketserver.ThreadingTCPServer):
    """Takes each request up to its empty line, then answers as REPLIES[mode]."""

    daemon_threads = True

    def __init__(self, mode):
        self.mode = mode
        self.stopping = threading.Event()
        super().__init__((ODD, 0), _OddHandler)
        self.thread = threading.Thread(target=self.serve_forever, kwargs={"poll_interval": 0.05})

    def url(self):
        return "http://%s:%d/" % (ODD, self.server_address[1])

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stopping.set()
        self.shutdown()
        self.server_close()
        self.thread.join(10)
        return False


class _OddHandler(socketserver.BaseRequestHandler):
    def handle(self):
        server, data = self.server, b""
        self.request.settimeout(10)
        try:
            while b"\r\n\r\n" not in data:
                chunk = self.request.recv(4096)
                if not chunk:
                    return
                data += chunk
            reply = REPLIES[server.mode]
            if reply is None:
                server.stopping.wait(30)
            for i in range(len(reply or b"")):
                self.request.sendall(reply[i:i + 1])
                if server.mode == "trickle" and server.stopping.wait(1.0):
                    break
        except OSError:
            pass


def probe(url, *options):
    """Runs http_probe; its key=value lines as a dict, headers as a list.
    Output goes through files: a pipe would also wait for the wineserver
    that inherited it to exit (seconds per run)."""
    options = [str(o) for o in options]
    with tempfile.TemporaryFile() as out:
        code = subprocess.call([os.path.join(wine.build_dir(), "wine-run.sh"),
                                wine.program("tests/system/http_probe.exe"), url] + options,
                               stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT, timeout=120)
        out.seek(0)
        text = out.read().decode(errors="replace")
    values = wine.key_values(text)
    values["headers"] = [values.get("header.%d" % i) for i in range(int(values.get("header_count", 0)))]
    print("%s %s -> rc %d, response %s, %d headers, %s ms%s" % (
        url, " ".join(options), code, values.get("response"), len(values["headers"]),
        values.get("elapsed_ms"), ", timed out" if values.get("timed_out") == "1" else ""))
    return values


def header(values, name):
    for line in values["headers"]:
        key, sep, value = line.partition(":")
        if sep and key.lower() == name.lower():
            return value.strip()
    return None


def check_peers(web, proxy):
    failures = []

    def expect(condition, text):
        if not condition:
            failures.append(text)

    url = web.url("/data.bin")
    got = probe(url, "--time-headers", "--body")
    expect(got.get("response") == "200" and header(got, "Date"), "200 with Date: %r" % got)
    expect(bytes.fromhex(got.get("body_hex", "")) == DATA and got.get("body_eof") == "1",
           "200: body of %s bytes differs from the file" % got.get("body_bytes"))
    seen = ('"GET /data.bin HTTP/1.0" host="%s" connection="close" pragma="no-cache" '
            'referer="%s" agent="%s" status=200' % (WEB, url, AGENT))
    expect(seen in web.access_log(), "nginx saw %r" % web.access_log()[-1:])

    got = probe(web.url("/moved"))
    expect(got.get("response") == "302" and header(got, "Location") == "http://%s/index.html" % WEB,
           "302 with Location: %r" % got)
    got = probe(web.url("/missing"))
    expect(got.get("response") == "404" and header(got, "Date"), "404 with Date: %r" % got)
    got = probe(web.url("/index.html", 8080))  # the Host line names the host only
    expect(got.get("response") == "200", "8080: %r" % got)
    expect(web.access_log()[-1].startswith('"GET /index.html HTTP/1.0" host="%s" ' % WEB),
           "8080: nginx saw %r" % web.access_log()[-1])

    # The same through tinyproxy, which receives the absolute URL.
    for url, status in ((web.url("/data.bin"), "200"), (web.url("/index.html", 8080), "200"),
                        (web.url("/moved"), "302"), (web.url("/missing", 8080), "404")):
        got = probe(url, "--proxy", proxy.text, "--time-headers", "--body")
        expect(got.get("response") == status and header(got, "Date"), "proxy %s: %r" % (url, got))
        expect("GET %s HTTP/1.0" % url in proxy.request_lines(),
               "proxy %s: tinyproxy received %r" % (url, proxy.request_lines()[-1:]))
        if url.endswith(".bin"):
            expect(bytes.fromhex(got.get("body_hex", "")) == DATA, "proxy: body differs")
    return failures


def check_misbehaving():
    failures = []
    for mode, results in (("no-blank", ("-1",)), ("http2", ("0",)), ("silent", ("0",)),
                          ("trickle", ("0", "-1"))):
        with OddServer(mode) as server:
            got = probe(server.url(), "--total", BOUND_MS)
        elapsed = int(got.get("elapsed_ms", 0))
        if got.get("response") not in results or elapsed > BOUND_MS + SLACK_MS:
            failures.append("%s: response %s after %d ms, expected %s within %d ms"
                            % (mode, got.get("response"), elapsed, results, BOUND_MS))
        if mode in ("silent", "trickle") and (got.get("timed_out") != "1" or elapsed < BOUND_MS - 100):
            failures.append("%s: ended after %d ms without reaching the bound" % (mode, elapsed))
    return failures


def main():
    started = time.monotonic()
    files = {"data.bin": DATA, "index.html": b"<html>index</html>\n"}
    try:
        with nginx.NginxServer(WEB, ports=(80, 8080), files=files,
                               redirects={"/moved": "http://%s/index.html" % WEB}) as web, \
                tinyproxy.TinyProxy(PROXY) as proxy:
            failures = check_peers(web, proxy)
    except PeerUnavailable as e:
        print("SKIPPED: %s" % e)
        return SKIP_EXIT_CODE
    failures += check_misbehaving()
    for f in failures:
        print("FAIL: " + f)
    print("%d failures, %.1f s" % (len(failures), time.monotonic() - started))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
