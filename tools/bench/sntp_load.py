#!/usr/bin/env python3
"""SNTP responder load: answered requests per second and latency percentiles
of Sorbel.exe under Wine, of a bare Winsock responder loop under the same
Wine (the ceiling of a one-thread responder there) and of chronyd -x, on
loopback.

    xvfb-run -a tools/bench/sntp_load.py [--build build] [--seconds 10] [--window 8]
                                         [--rounds 3]

A closed-loop generator keeps `window` requests in flight; each carries a
unique Transmit Timestamp so the answer (its Originate) names the request.
A request unanswered after 0.5 s counts as lost and is replaced. The two
Wine responders run side by side and are loaded in turn, `rounds` times
`seconds` each, so that a machine whose load changes treats both alike;
their rates are the medians of the rounds, and the CPU time their process
spent per answer (all threads, from /proc) does not depend on that load.
Figures only, no pass/fail.
"""

import argparse
import os
import select
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "system"))

from peers import chrony, process, sorbel, sorbel_program, wine  # noqa: E402
from peers.window_driver import WindowDriver  # noqa: E402

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


def cpu_seconds(pid):
    """CPU time of all threads of a Linux process so far."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
            total += int(f.read().split()[0])
    return total / 1e9


def rounds(targets, seconds, window, count):
    """Loads each (name, port, pid) in turn, `count` times; figures by name."""
    figures = {name: [] for name, _, _ in targets}
    for _ in range(count):
        for name, port, pid in targets:
            before = cpu_seconds(pid)
            r = load("127.0.0.1", port, seconds, window)
            r["cpu_us"] = (cpu_seconds(pid) - before) * 1e6 / max(r["answered"], 1)
            figures[name].append(r)
    return {name: median_figures(rs) for name, rs in figures.items()}


def median_figures(results):
    merged = {}
    for key in results[0]:
        values = sorted(r[key] for r in results)
        merged[key] = sum(values) if key in ("answered", "lost") else values[len(values) // 2]
    return merged


def start_bare(build, port, log):
    """The bare responder loop (built on demand) under the same Wine."""
    subprocess.run(["cmake", "--build", build, "--target", "bare_responder"], check=True,
                   stdout=subprocess.DEVNULL)
    bare = subprocess.Popen([os.path.join(build, "wine-run.sh"),
                             wine.program("tools/bench/bare_responder.exe"), str(port)],
                            stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 60
    while not sorbel.ask(port, sorbel.request(), timeout=0.2):
        if time.monotonic() > deadline or bare.poll() is not None:
            process.reap(bare)
            raise RuntimeError("the bare responder does not answer on port %d" % port)
    return bare


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--window", type=int, default=8)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    os.environ["SUITE_BUILD_DIR"] = build
    seconds = min(max(args.seconds, 1.0), 120.0)
    window = min(max(args.window, 1), 256)
    count = min(max(args.rounds, 1), 20)

    ours_port, bare_port = sorbel.free_udp_port(), sorbel.free_udp_port()
    settings = {"NTPCONFIG": {"NTP_PORT": ours_port}, "SORBEL": {"MODE_NTP_RESPONSE": "ON"}}
    work = tempfile.mkdtemp(prefix="sntp-load-")
    bare = None
    try:
        with WindowDriver() as driver, sorbel_program.SorbelProgram(driver, settings) as program, \
                open(os.path.join(work, "bare.txt"), "wb") as log:
            if not program.answers(ours_port):
                raise RuntimeError("Sorbel.exe does not answer on port %d" % ours_port)
            bare = start_bare(build, bare_port, log)
            figures = rounds([("Sorbel.exe (Wine)", ours_port, program.process.pid),
                              ("bare responder loop (Wine)", bare_port, bare.pid)],
                             seconds, window, count)
    finally:
        process.reap(bare)
        shutil.rmtree(work, ignore_errors=True)
    for name, r in figures.items():
        show(name, r)
        print("%-28s %9.1f us CPU per answer" % ("", r["cpu_us"]))
    ours, bare_figures = figures["Sorbel.exe (Wine)"], figures["bare responder loop (Wine)"]

    chrony_port = sorbel.free_udp_port()
    # No ratelimit directive: chronyd then answers every request.
    with chrony.ChronyServer(address="127.0.0.2", port=chrony_port):
        theirs = load("127.0.0.2", chrony_port, seconds, window)
    show("chronyd -x", theirs)
    print("ratio Sorbel.exe/bare loop: %.2f (rate), p50 %.2f, CPU per answer %.2f"
          % (ours["rate"] / bare_figures["rate"], ours["p50"] / bare_figures["p50"],
             ours["cpu_us"] / bare_figures["cpu_us"]))
    if theirs["rate"]:
        print("ratio Sorbel.exe/chronyd: %.2f (rate), p50 %.2f"
              % (ours["rate"] / theirs["rate"], ours["p50"] / theirs["p50"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
