"""HTTP correction runs (CheckTimeHttp through correction_probe, virtual clock)
against nginx skewed by faketime on 127.0.0.61, through tinyproxy on
127.0.0.62, and against servers of the test's own: slow, silent, and sending
the Date in the two obsolete forms (nginx sends only the fixed one).

The Date header has whole seconds; the mean of the two samples is judged
within HTTP_TOLERANCE_MS of the skew.
"""

import http.server
import os
import socket
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from ntp_correction_test import probe_runs  # noqa: E402
from peers import run_checks  # noqa: E402
from peers import nginx, tinyproxy  # noqa: E402

ADDRESS = "127.0.0.61"
PROXY_ADDRESS = "127.0.0.62"
ALLOWANCE_MS = 1000
HTTP_TOLERANCE_MS = 600
AGENT = "Mozilla/2.0 (compatible; MSIE 3.01; Windows 95)"


class SlowHandler(http.server.BaseHTTPRequestHandler):
    """Answers 200 with the real Date after the delay its server names."""
    protocol_version = "HTTP/1.0"

    def do_GET(self):
        time.sleep(self.server.delay)
        self.send_response(200)  # adds Date
        self.end_headers()

    def log_message(self, *args):
        pass


DAYS = ("Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday")
MONTHS = ("Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec")


def http_date(t, form):
    """Unix time t as an HTTP date: "rfc850" or "asctime" (names in English)."""
    g = time.gmtime(t)
    clock = "%02d:%02d:%02d" % (g.tm_hour, g.tm_min, g.tm_sec)
    if form == "rfc850":
        return "%s, %02d-%s-%02d %s GMT" % (DAYS[g.tm_wday], g.tm_mday, MONTHS[g.tm_mon - 1],
                                           g.tm_year % 100, clock)
    return "%s %s %2d %s %d" % (DAYS[g.tm_wday][:3], MONTHS[g.tm_mon - 1], g.tm_mday, clock,
                                g.tm_year)


class DatedHandler(SlowHandler):
    """Answers at once with a Date skew s ahead, in the obsolete form of its server."""

    def date_time_string(self, timestamp=None):
        return http_date(time.time() + self.server.skew, self.server.form)


class OwnServer:
    """A slow web server (delay s), or with delay None one that accepts and stays
    silent; with a date form, one that answers at once with a Date of that form
    skew s ahead."""

    def __init__(self, delay, form=None, skew=0):
        self.delay = delay
        self.form = form
        self.skew = skew

    def __enter__(self):
        if self.delay is None:
            self.sock = socket.socket()
            self.sock.bind((ADDRESS, 0))
            self.sock.listen(4)
            self.port = self.sock.getsockname()[1]
        else:
            handler = DatedHandler if self.form else SlowHandler
            self.httpd = http.server.ThreadingHTTPServer((ADDRESS, 0), handler)
            self.httpd.delay = self.delay
            self.httpd.form = self.form
            self.httpd.skew = self.skew
            self.port = self.httpd.server_address[1]
            threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        return self

    def url(self):
        return "http://%s:%d/" % (ADDRESS, self.port)

    def __exit__(self, *exc):
        if self.delay is None:
            self.sock.close()
        else:
            self.httpd.shutdown()
            self.httpd.server_close()
        return False


def expect(failures, label, run, kind, offset=None, sets=0, slew=False, text=None):
    print("%s: %s (%d ms)" % (label, run["line"], run["real_ms"]))
    problems = []
    if run["kind"] != kind:
        problems.append("kind %d, expected %d" % (run["kind"], kind))
    if offset is not None and (run["offset_ms"] is None or abs(run["offset_ms"] - offset) > HTTP_TOLERANCE_MS):
        problems.append("offset %s ms, expected %d" % (run["offset_ms"], offset))
    if run["sets"] != sets:
        problems.append("%d sets, expected %d" % (run["sets"], sets))
    if slew != (run["slew_ms"] > 0):
        problems.append("held back %d ms" % run["slew_ms"])
    if text and text not in run["line"]:
        problems.append("no %r in the line" % text)
    failures += ["%s: %s" % (label, p) for p in problems]
    return run


def check_nginx():
    failures = []
    files = {"index.html": b"<html>time</html>\n"}
    with nginx.NginxServer(ADDRESS, files=files, skew=5) as ahead, \
            nginx.NginxServer(ADDRESS, files=files, skew=-3) as behind, \
            tinyproxy.TinyProxy(PROXY_ADDRESS) as proxy:
        url = ahead.url("/")
        expect(failures, "server +5 s, test run", probe_runs(url, 3000, ALLOWANCE_MS, False, 0, proto="http")[0],
               1, offset=-5000, text="確認　( %s ) 誤差 " % url)
        requests = [line for line in ahead.access_log() if line.startswith('"GET / ')]
        wanted = 'connection="close" pragma="no-cache" referer="%s" agent="%s" status=200' % (url, AGENT)
        if len(requests) != 2 or not all(line.endswith(wanted) for line in requests):
            failures.append("server +5 s: requests %r" % requests)
        run = expect(failures, "server +5 s, corrected run",
                     probe_runs(url, 3000, ALLOWANCE_MS, True, 0, proto="http")[0], 2, offset=-5000, sets=1)
        if abs(run["skew_ms"] - 5000) > HTTP_TOLERANCE_MS:
            failures.append("server +5 s: the step left the clock %+d ms off" % run["skew_ms"])
        expect(failures, "server +5 s, 404", probe_runs(ahead.url("/missing"), 3000, ALLOWANCE_MS, False, 0,
                                                       proto="http")[0], 1, offset=-5000)
        expect(failures, "server -3 s, corrected run",
               probe_runs(behind.url("/"), 3000, ALLOWANCE_MS, True, 0, proto="http")[0], 2, offset=3000,
               slew=True, text="の進み")
        expect(failures, "server +5 s through the proxy",
               probe_runs(url, 3000, ALLOWANCE_MS, False, 0, proxy=proxy.text, proto="http")[0], 1, offset=-5000)
        if proxy.request_lines() != ["GET %s HTTP/1.0" % url] * 2:
            failures.append("proxy: request lines %r" % proxy.request_lines())
    return failures


def check_own_servers():
    failures = []
    # Limit 100 ms: a response within ten times the limit counts, a slower one does not.
    with OwnServer(0.6) as slow:
        expect(failures, "600 ms with limit 100", probe_runs(slow.url(), 100, ALLOWANCE_MS, False, 0, proto="http")[0],
               1, offset=0)
    with OwnServer(1.5) as slower:
        run = expect(failures, "1500 ms with limit 100",
                     probe_runs(slower.url(), 100, ALLOWANCE_MS, True, 0, proto="http")[0], 0,
                     text="失敗　( %s ) 返答待機タイムアウト[" % slower.url())
        if run["real_ms"] > 4000:
            failures.append("1500 ms with limit 100: took %d ms" % run["real_ms"])
    with OwnServer(None) as silent:
        run = expect(failures, "silent server, limit 200",
                     probe_runs(silent.url(), 200, ALLOWANCE_MS, True, 0, proto="http")[0], 0,
                     text="返答待機タイムアウト[")
        if not 1900 <= run["real_ms"] < 6000:
            failures.append("silent server: gave up after %d ms, bound 2000" % run["real_ms"])
    for form in ("rfc850", "asctime"):
        with OwnServer(0, form, skew=5) as dated:
            expect(failures, "%s Date +5 s" % form,
                   probe_runs(dated.url(), 3000, ALLOWANCE_MS, False, 0, proto="http")[0], 1,
                   offset=-5000)
    return failures


def main():
    return run_checks(check_nginx, check_own_servers)


if __name__ == "__main__":
    sys.exit(main())
