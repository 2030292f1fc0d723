"""HTTP correction runs (correction_probe) against skewed nginx, through tinyproxy, and own servers."""

import http.server
import os
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from ntp_correction_test import probe_run  # noqa: E402
from peers import nginx, run_checks, tinyproxy  # noqa: E402

ADDRESS, PROXY_ADDRESS = "127.0.0.61", "127.0.0.62"
HTTP_TOLERANCE_MS = 600  # the Date has whole seconds; the two samples' mean is judged
AGENT = "Mozilla/2.0 (compatible; MSIE 3.01; Windows 95)"


def http_date(t, form):
    """Unix time t as an HTTP date in the obsolete "rfc850" or "asctime" form."""
    g = time.gmtime(t)  # Python leaves LC_TIME at "C": English names
    return time.strftime("%A, %d-%b-%y %H:%M:%S GMT", g) if form == "rfc850" else time.asctime(g)


class Handler(http.server.BaseHTTPRequestHandler):
    """Answers 200 with a Date skew s ahead in its server's form; without a form it stays silent."""
    protocol_version = "HTTP/1.0"

    def do_GET(self):
        if not self.server.form:
            self.server.closing.wait(30)
            return
        self.send_response(200)  # adds Date
        self.end_headers()

    def date_time_string(self, timestamp=None):
        return http_date(time.time() + self.server.skew, self.server.form)

    def log_message(self, *args):
        pass


class OwnServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, form=None, skew=0):
        http.server.ThreadingHTTPServer.__init__(self, (ADDRESS, 0), Handler)
        self.form, self.skew, self.closing = form, skew, threading.Event()
        self.url = "http://%s:%d/" % self.server_address
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def __exit__(self, *exc):
        self.closing.set()
        self.shutdown()
        self.server_close()


def expect(failures, label, run, kind, offset=None, sets=0, slew=False, text=None, ms=None):
    problems = []
    if run["kind"] != kind:
        problems.append("kind %d, expected %d" % (run["kind"], kind))
    if offset is not None and (run["offset_ms"] is None or abs(run["offset_ms"] - offset) > HTTP_TOLERANCE_MS):
        problems.append("offset %s ms, expected %d" % (run["offset_ms"], offset))
    if run["sets"] != sets or slew != (run["slew_ms"] > 0):
        problems.append("%d sets (expected %d), held back %d ms" % (run["sets"], sets, run["slew_ms"]))
    if text and text not in run["line"]:
        problems.append("no %r in the line" % text)
    if ms and not ms[0] <= run["real_ms"] < ms[1]:
        problems.append("took %d ms, expected %d to %d" % (run["real_ms"], ms[0], ms[1]))
    failures += ["%s: %s" % (label, p) for p in problems]
    return run


def check_nginx():
    failures = []
    files = {"index.html": b"<html>time</html>\n"}
    with nginx.NginxServer(ADDRESS, files=files, skew=5) as ahead, \
            nginx.NginxServer(ADDRESS, files=files, skew=-3) as behind, tinyproxy.TinyProxy(PROXY_ADDRESS) as proxy:
        url = ahead.url("/")
        expect(failures, "+5 s, test run", probe_run(url, 3000, False, proto="http"), 1, -5000,
               text="確認　( %s ) 誤差 " % url)
        requests = [line for line in ahead.access_log() if line.startswith('"GET / HTTP/1.0" ')]
        wanted = ('host="%s" connection="close" pragma="no-cache" referer="%s" agent="%s" status=200'
                  % (ADDRESS, url, AGENT))
        if len(requests) != 2 or not all(line.endswith(wanted) for line in requests):
            failures.append("+5 s: requests %r" % requests)
        run = expect(failures, "+5 s, corrected", probe_run(url, 3000, True, proto="http"), 2, -5000, sets=1)
        if abs(run["skew_ms"] - 5000) > HTTP_TOLERANCE_MS:
            failures.append("+5 s: the step left the clock %+d ms off" % run["skew_ms"])
        expect(failures, "-3 s, corrected", probe_run(behind.url("/"), 3000, True, proto="http"), 2, 3000,
               slew=True, text="の進み")
        expect(failures, "+5 s through the proxy", probe_run(url, 3000, False, proxy=proxy.text, proto="http"),
               1, -5000)
        if proxy.request_lines() != ["GET %s HTTP/1.0" % url] * 2:
            failures.append("proxy: request lines %r" % proxy.request_lines())
    return failures


def check_own_servers():
    failures = []
    with OwnServer() as silent:
        expect(failures, "silent, limit 200", probe_run(silent.url, 200, True, proto="http"), 0,
               text="返答待機タイムアウト[", ms=(1900, 6000))
    for form in ("rfc850", "asctime"):
        with OwnServer(form, skew=5) as dated:
            expect(failures, "%s Date +5 s" % form, probe_run(dated.url, 3000, False, proto="http"), 1, -5000)
    return failures


if __name__ == "__main__":
    sys.exit(run_checks(check_nginx, check_own_servers))
