#!/usr/bin/env python3
"""Accuracy of the correction runs against servers with a known skew, side by
side with the Debian tools that do the same job, in the same run:

  NTP:  CheckTimeNtp (test runs) and ntpdig, against chronyd -x under faketime
  HTTP: CheckTimeHttp (test runs) and htpdate -q, against nginx under faketime

Prints the median and 95th-percentile absolute error of each (ms). Needs a
built tree (make build) and the test peers (tools/setup.sh installs them).
Uses 127.0.0.2:123 and 127.0.0.61; do not run it while the tests run.

  python3 tools/bench/accuracy.py [--ntp-runs 50] [--http-runs 20] [--skew 5.3]
"""

import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "system"))
os.environ.setdefault("SUITE_BUILD_DIR", os.path.join(ROOT, "build"))

from ntp_correction_test import probe_runs  # noqa: E402
from peers import chrony, nginx, ntpdig  # noqa: E402

NTP_ADDRESS = "127.0.0.2"
HTTP_ADDRESS = "127.0.0.61"
_HTPDATE_OFFSET = re.compile(r"^offset: (-?\d+\.\d+)", re.MULTILINE)


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(fraction * (len(ordered) - 1))))]


def summary(name, errors):
    errors = [abs(e) for e in errors]
    return "%-28s runs %3d  median %7.1f ms  p95 %7.1f ms  max %7.1f ms" % (
        name, len(errors), statistics.median(errors), percentile(errors, 0.95), max(errors))


def our_errors(target, runs, skew_ms, proto, limit):
    """Errors of our test runs: the offset shown (local minus server) against -skew."""
    results = probe_runs(target, limit, 0, False, 0, count=runs, proto=proto)
    bad = [r["line"] for r in results if r["offset_ms"] is None]
    if bad:
        raise RuntimeError("runs without an offset: %s" % bad[:3])
    return [r["offset_ms"] + skew_ms for r in results]


def ntpdig_errors(runs, skew_ms):
    return [ntpdig.query(NTP_ADDRESS)["offset"] * 1000 - skew_ms for _ in range(runs)]


def htpdate_errors(url, runs, skew_ms):
    htpdate = shutil.which("htpdate") or shutil.which("htpdate", path="/usr/sbin:/sbin")
    if not htpdate:
        raise RuntimeError("htpdate is not installed (Debian package htpdate)")
    errors = []
    for _ in range(runs):
        run = subprocess.run([htpdate, "-q", "-d", url], stdin=subprocess.DEVNULL,
                             capture_output=True, text=True, timeout=120)
        m = _HTPDATE_OFFSET.search(run.stdout)
        if run.returncode != 0 or not m:
            raise RuntimeError("htpdate gave no offset:\n%s%s" % (run.stdout, run.stderr))
        errors.append(float(m.group(1)) * 1000 - skew_ms)  # server minus local
    return errors


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--ntp-runs", type=int, default=50)
    parser.add_argument("--http-runs", type=int, default=20)
    parser.add_argument("--skew", type=float, default=5.3, help="server skew in seconds")
    args = parser.parse_args()
    skew_ms = args.skew * 1000

    print("server skew %+.3f s" % args.skew)
    with chrony.ChronyServer(NTP_ADDRESS, skew=args.skew):
        ours = our_errors(NTP_ADDRESS, args.ntp_runs, skew_ms, "ntp", 5000)
        theirs = ntpdig_errors(args.ntp_runs, skew_ms)
    print(summary("NTP  CheckTimeNtp", ours))
    print(summary("NTP  ntpdig", theirs))

    with nginx.NginxServer(HTTP_ADDRESS, files={"index.html": b"time\n"}, skew=args.skew) as web:
        url = web.url("/")
        ours = our_errors(url, args.http_runs, skew_ms, "http", 3000)
        theirs = htpdate_errors(url, args.http_runs, skew_ms)
    print(summary("HTTP CheckTimeHttp", ours))
    print(summary("HTTP htpdate -q", theirs))
    print("HTTP CheckTimeHttp errors (ms): %s" % " ".join("%+d" % e for e in ours))
    return 0


if __name__ == "__main__":
    sys.exit(main())
