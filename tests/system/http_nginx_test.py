"""HTTP requests through CHTTPSocket (http_probe under Wine) against nginx,
through tinyproxy, and against misbehaving servers of this test's own.

Shown: the request line and header order (Host last) as servers receive
them; 200 with its body read through CSocketReader, 302 with Location, 404
with Date; through the proxy the absolute URL (port 80 and port 8080 forms)
with Host kept; and the -1 / 0 results of broken responses, each within the
request's total bound.
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
# The bound the misbehaving servers are given, and the slack allowed on top.
BOUND_MS = 3000
SLACK_MS = 3000


class OddServer(socketserver.ThreadingTCPServer):
    """Reads each request up to its empty line (kept in .requests), then
    answers in the given way: 'capture' (a proper reply), 'no-blank'
    (headers without the empty line, then close), 'http2' (an HTTP/2 status
    line), 'silent' (nothing until the server stops), 'trickle' (a proper
    reply, one byte per second)."""

    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, mode):
        self.mode = mode
        self.requests = []
        self.stopping = threading.Event()
        super().__init__((ODD, 0), _OddHandler)
        self.thread = threading.Thread(target=self.serve_forever, kwargs={"poll_interval": 0.05})

    def url(self, path="/"):
        return "http://%s:%d%s" % (ODD, self.server_address[1], path)

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
    REPLIES = {
        "capture": b"HTTP/1.0 200 OK\r\nDate: Mon, 01 Jan 2024 00:00:00 GMT\r\n\r\nok",
        "no-blank": b"HTTP/1.1 200 OK\r\nDate: Mon, 01 Jan 2024 00:00:00 GMT\r\n",
        "http2": b"HTTP/2 200\r\ndate: Mon, 01 Jan 2024 00:00:00 GMT\r\n\r\n",
        "trickle": b"HTTP/1.1 200 OK\r\nDate: Mon, 01 Jan 2024 00:00:00 GMT\r\n\r\n",
    }

    def handle(self):
        server = self.server
        self.request.settimeout(10)
        data = b""
        try:
            while b"\r\n\r\n" not in data:
                chunk = self.request.recv(4096)
                if not chunk:
                    break
                data += chunk
        except OSError:
            return
        server.requests.append(data)
        reply = self.REPLIES.get(server.mode, b"")
        try:
            if server.mode == "silent":
                server.stopping.wait(30)
            elif server.mode == "trickle":
                for i in range(len(reply)):
                    self.request.sendall(reply[i:i + 1])
                    if server.stopping.wait(1.0):
                        break
            else:
                self.request.sendall(reply)
        except OSError:
            pass


def run_program(exe, *args, timeout=120):
    """Like wine.run, but the output goes through files: a pipe would also
    wait for the wineserver that inherited it to exit (seconds per run)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.call([os.path.join(wine.build_dir(), "wine-run.sh"), exe] + list(args),
                               stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout)
        out.seek(0)
        err.seek(0)
        return code, out.read().decode(errors="replace"), err.read().decode(errors="replace")


class Checks:
    def __init__(self):
        self.failures = []
        self.probe = wine.program("tests/system/http_probe.exe")

    def run(self, url, *options):
        options = [str(o) for o in options]
        returncode, stdout, stderr = run_program(self.probe, url, *options)
        values = wine.key_values(stdout)
        if returncode != 0 or "response" not in values:
            self.fail("%s: http_probe failed (rc %d): %s" % (url, returncode, stderr.strip()))
            return {"response": "none", "headers": [], "elapsed_ms": "0", "timed_out": "0"}
        values["headers"] = [values["header.%d" % i] for i in range(int(values["header_count"]))]
        print("%s %s -> sent %s, response %s, %d headers, %s ms%s" % (
            url, " ".join(options), values["sent"], values["response"], len(values["headers"]),
            values["elapsed_ms"], ", timed out" if values["timed_out"] == "1" else
            (", error %s" % values["last_error"] if values["last_error"] != "0" else "")))
        return values

    def expect(self, condition, text):
        if not condition:
            self.fail(text)

    def fail(self, text):
        print("FAIL: " + text)
        self.failures.append(text)


def header(values, name):
    for line in values["headers"]:
        key, sep, value = line.partition(":")
        if sep and key.lower() == name.lower():
            return value.strip()
    return None


def check_web(c, web, proxy):
    url = web.url("/data.bin")
    ok = c.run(url, "--time-headers", "--body")
    c.expect(ok["response"] == "200", "200: response %s" % ok["response"])
    c.expect(header(ok, "Date"), "200: no Date header")
    c.expect(bytes.fromhex(ok.get("body_hex", "")) == DATA and ok.get("body_eof") == "1",
             "200: body of %s bytes differs from the file" % ok.get("body_bytes"))
    expected_log = ('"GET /data.bin HTTP/1.0" host="%s" connection="close" pragma="no-cache" '
                    'referer="%s" agent="%s" status=200' % (WEB, url, AGENT))
    c.expect(expected_log in web.access_log(), "nginx saw %r" % web.access_log()[-1:])

    moved = c.run(web.url("/moved"))
    c.expect(moved["response"] == "302", "302: response %s" % moved["response"])
    c.expect(header(moved, "Location") == "http://%s/index.html" % WEB,
             "302: Location %r" % header(moved, "Location"))
    missing = c.run(web.url("/missing"))
    c.expect(missing["response"] == "404" and header(missing, "Date"), "404 with Date: %r" % missing)

    # Port 8080: the Host line names the host only.
    other = c.run(web.url("/index.html", 8080))
    c.expect(other["response"] == "200", "8080: response %s" % other["response"])
    c.expect(web.access_log()[-1].startswith('"GET /index.html HTTP/1.0" host="%s" ' % WEB),
             "8080: nginx saw %r" % web.access_log()[-1])

    # The same through tinyproxy: it receives the absolute URL.
    for url, status in ((web.url("/data.bin"), "200"), (web.url("/index.html", 8080), "200"),
                        (web.url("/moved"), "302"), (web.url("/missing", 8080), "404")):
        got = c.run(url, "--proxy", proxy.text, "--time-headers", "--body")
        c.expect(got["response"] == status, "proxy %s: response %s" % (url, got["response"]))
        c.expect(header(got, "Date"), "proxy %s: no Date" % url)
        c.expect("GET %s HTTP/1.0" % url in proxy.request_lines(),
                 "proxy %s: tinyproxy received %r" % (url, proxy.request_lines()[-1:]))
    c.expect(bytes.fromhex(c.run(web.url("/data.bin"), "--proxy", proxy.text, "--body")
                           .get("body_hex", "")) == DATA, "proxy: body differs")


def check_request_text(c):
    with OddServer("capture") as server:
        url = server.url("/a/b?x=1")
        c.run(url, "--header", "Host: stale", "--time-headers")
        c.run("http://example.test:8080/a?b", "--proxy", "%s:%d" % (ODD, server.server_address[1]),
              "--time-headers")
        c.run("http://example.test/", "--proxy", "%s:%d" % (ODD, server.server_address[1]))
    heads = ["Connection: close", "Pragma: no-cache", "Referer: %s", "User-Agent: " + AGENT]
    expected = [
        "GET /a/b?x=1 HTTP/1.0\r\n" + "\r\n".join(heads) % url + "\r\nHost: %s\r\n\r\n" % ODD,
        "GET http://example.test:8080/a?b HTTP/1.0\r\n" + "\r\n".join(heads) % "http://example.test:8080/a?b"
        + "\r\nHost: example.test\r\n\r\n",
        "GET http://example.test/ HTTP/1.0\r\nHost: example.test\r\n\r\n",
    ]
    got = [r.decode("latin-1") for r in server.requests]
    c.expect(got == expected, "request texts:\n%r\nexpected\n%r" % (got, expected))


def check_misbehaving(c):
    for mode, results in (("no-blank", ("-1",)), ("http2", ("0",)), ("silent", ("0",)),
                          ("trickle", ("0", "-1"))):
        with OddServer(mode) as server:
            got = c.run(server.url(), "--total", BOUND_MS)
        elapsed = int(got["elapsed_ms"])
        c.expect(got["response"] in results, "%s: response %s, expected %s" % (mode, got["response"], results))
        c.expect(elapsed <= BOUND_MS + SLACK_MS, "%s: took %d ms, bound %d" % (mode, elapsed, BOUND_MS))
        if mode in ("silent", "trickle"):
            c.expect(got["timed_out"] == "1" and elapsed >= BOUND_MS - 100,
                     "%s: ended after %d ms without reaching the bound" % (mode, elapsed))
    # A per-wait limit ends the wait for a silent server before the bound.
    with OddServer("silent") as server:
        got = c.run(server.url(), "--total", BOUND_MS, "--recv", 500)
    c.expect(got["response"] == "0" and int(got["elapsed_ms"]) < BOUND_MS and got["timed_out"] == "0",
             "per-wait limit: %r" % got)


def main():
    started = time.monotonic()
    c = Checks()
    files = {"data.bin": DATA, "index.html": b"<html>index</html>\n"}
    try:
        with nginx.NginxServer(WEB, ports=(80, 8080), files=files,
                               redirects={"/moved": "http://%s/index.html" % WEB}) as web, \
                tinyproxy.TinyProxy(PROXY) as proxy:
            check_web(c, web, proxy)
    except PeerUnavailable as e:
        print("SKIPPED: %s" % e)
        return SKIP_EXIT_CODE
    check_request_text(c)
    check_misbehaving(c)
    print("%d failures, %.1f s" % (len(c.failures), time.monotonic() - started))
    return 1 if c.failures else 0


if __name__ == "__main__":
    sys.exit(main())
