#!/usr/bin/env python3
"""SNTP responder load: answered requests per second and latency percentiles
of our responder (sorbel_probe under Wine) and of chronyd -x, on loopback.

    tools/bench/sntp_load.py [--build build] [--seconds 10] [--window 8]

A closed-loop generator keeps `window` requests in flight; each carries a
unique Transmit Timestamp so the answer (its Originate) names the request.
A request unanswered after 0.5 s counts as lost and is replaced. Figures
only, no pass/fail.
"""

import argparse
import os
import select
import socket
import struct
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "system"))

from peers import chrony, sorbel  # noqa: E402

LOST_AFTER_S = 0.5


def load(address, port, seconds, window):
    """Runs the generator for `seconds`; returns a dict of figures."""
    latencies = []
    lost = 0
    pending = {}  # transmit bytes -> send time
    serial = 0
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.setblocking(False)
        target = (address, port)

        def send():
            nonlocal serial
            serial += 1
            key = struct.pack("!II", 0xB0000000 | (serial >> 32), serial & 0xFFFFFFFF)
            pending[key] = time.perf_counter()
            s.sendto(sorbel.request(key), target)

        start = time.perf_counter()
        end = start + seconds
        for _ in range(window):
            send()
        while True:
            now = time.perf_counter()
            if now >= end:
                break
            readable, _, _ = select.select([s], [], [], min(0.05, end - now))
            now = time.perf_counter()
            if readable:
                while True:
                    try:
                        data = s.recv(512)
                    except BlockingIOError:
                        break
                    sent = pending.pop(data[24:32], None) if len(data) == 48 else None
                    if sent is not None:
                        # Answers to requests sent in this loop may follow.
                        latencies.append(time.perf_counter() - sent)
                        send()
            for key, sent in list(pending.items()):
                if now - sent > LOST_AFTER_S:
                    del pending[key]
                    lost += 1
                    send()
        elapsed = time.perf_counter() - start
    latencies.sort()

    def pct(p):
        if not latencies:
            return float("nan")
        return latencies[min(len(latencies) - 1, int(p / 100.0 * len(latencies)))] * 1000

    return {"answered": len(latencies), "lost": lost, "rate": len(latencies) / elapsed,
            "p50": pct(50), "p95": pct(95), "p99": pct(99)}


def show(name, r):
    print("%-28s %9.0f req/s  p50 %7.3f ms  p95 %7.3f ms  p99 %7.3f ms  (%d answered, %d lost)"
          % (name, r["rate"], r["p50"], r["p95"], r["p99"], r["answered"], r["lost"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--window", type=int, default=8)
    args = parser.parse_args()
    os.environ["SUITE_BUILD_DIR"] = os.path.abspath(args.build)
    seconds = min(max(args.seconds, 1.0), 120.0)
    window = min(max(args.window, 1), 256)

    port = sorbel.free_udp_port()
    settings = {"NTPCONFIG": {"NTP_PORT": port}}
    with sorbel.SorbelProbe(settings, seconds=int(seconds) + 60):
        ours = load("127.0.0.1", port, seconds, window)
    show("sorbel_probe (Wine)", ours)

    chrony_port = sorbel.free_udp_port()
    # No ratelimit directive: chronyd then answers every request.
    with chrony.ChronyServer(address="127.0.0.2", port=chrony_port):
        theirs = load("127.0.0.2", chrony_port, seconds, window)
    show("chronyd -x", theirs)
    if theirs["rate"]:
        print("ratio ours/chronyd: %.2f (rate), p50 %.2f" % (ours["rate"] / theirs["rate"],
                                                            ours["p50"] / theirs["p50"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
