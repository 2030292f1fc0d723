"""Periodic correction runs of the scheduler (scheduler_probe: the real clock
through a shifted virtual one, the one-second timer simulated) against two
chronyd -x that faketime puts 3 s behind, over a list whose first server is
silent: the start's run leaves one failure line and one correction line, the
clock 3 s ahead is held back, not stepped, and the selection moves past the
server that answered; the periodic run 900 ticks later starts there and
finds the clock right.
"""

import os
import re
import socket
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import PeerUnavailable, run_checks  # noqa: E402
from peers import chrony, wine  # noqa: E402

SILENT, FIRST, SECOND = "127.0.0.71", "127.0.0.72", "127.0.0.73"
TOLERANCE_MS = 60
# Under load Wine's tick count lags the real time a little: a step may
# count less than it held back, so the last tick comes later.
HOLD_TOLERANCE_MS = 150

_LINE = re.compile(r"line (\d) (.*)$")
_RUN = re.compile(r"run (\d+) selection (-?\d+) slew_ms (-?\d+) skew_ms (-?\d+)$")
_HELD = re.compile(r"held (\d+) skew_ms (-?\d+)$")
_AHEAD = re.compile(r"誤差 (\d+)\.(\d{3})秒の進み")


def probe(*args):
    """Runs with their lines, and the hold-back ends, from scheduler_probe."""
    done = wine.run(wine.program("tests/system/scheduler_probe.exe"), *args, timeout=300)
    if done.returncode != 0:
        raise RuntimeError("scheduler_probe failed (rc %d): %s" % (done.returncode, done.stderr))
    runs, held, lines = [], [], []
    for text in done.stdout.splitlines():
        text = text.strip()
        print(text)
        m = _LINE.match(text)
        if m:
            lines.append((int(m.group(1)), m.group(2)))
        m = _RUN.match(text)
        if m:
            runs.append({"tick": int(m.group(1)), "selection": int(m.group(2)), "slew_ms": int(m.group(3)),
                         "skew_ms": int(m.group(4)), "lines": lines})
            lines = []
        m = _HELD.match(text)
        if m:
            held.append((int(m.group(1)), int(m.group(2))))
    return runs, held


def check_periodic_runs():
    failures = []
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as silent:
        try:
            silent.bind((SILENT, 123))
        except OSError as e:
            raise PeerUnavailable("cannot hold %s:123: %s" % (SILENT, e))
        with chrony.ChronyServer(FIRST, skew=-3), chrony.ChronyServer(SECOND, skew=-3):
            runs, held = probe(0, 1000, 1, SILENT, FIRST, SECOND)
    if len(runs) != 2:
        return ["%d runs, not the start's and one periodic run" % len(runs)]
    start, periodic = runs
    kinds = [(kind, "( %s の応答 )" % host in line) for (kind, line), host in zip(start["lines"], (SILENT, FIRST))]
    if len(start["lines"]) != 2 or kinds != [(0, True), (2, True)]:
        failures.append("start's run: %s" % start["lines"])
    else:
        ahead = _AHEAD.search(start["lines"][1][1])
        if "返答待機タイムアウト[" not in start["lines"][0][1] or not ahead:
            failures.append("start's run: %s" % start["lines"])
        elif abs(int(ahead.group(1)) * 1000 + int(ahead.group(2)) - 3000) > TOLERANCE_MS:
            failures.append("offset shown: %s" % start["lines"][1][1])
    if start["selection"] != 2 or start["skew_ms"] != 0 or abs(start["slew_ms"] - 3000) > TOLERANCE_MS:
        failures.append("after the start's run: selection %d, clock %+d ms, %d ms to hold back"
                        % (start["selection"], start["skew_ms"], start["slew_ms"]))
    if len(held) != 1 or not 5 <= held[0][0] <= 10 or abs(held[0][1] + 3000) > HOLD_TOLERANCE_MS:
        failures.append("hold-back (tick, clock ms): %s, expected 3000 ms at 700 ms a tick" % held)
    if (periodic["tick"] != 900 or periodic["selection"] != 0 or len(periodic["lines"]) != 1
            or periodic["lines"][0][0] != 1 or "( %s の応答 )" % SECOND not in periodic["lines"][0][1]):
        failures.append("periodic run: %s" % periodic)
    return failures


def main():
    return run_checks(check_periodic_runs)


if __name__ == "__main__":
    sys.exit(main())
