"""The server engine (sorbel_probe under Wine) on a port of its own.

- tshark on the loopback interface decodes one reply and one broadcast: mode
  4/5, version 4, leap 0, poll 0, root delay and dispersion 0, Originate =
  the request's Transmit, Receive = Reference <= Transmit.
- 100,000 datagrams of random lengths 0-600 and random contents, with valid
  requests in between: exactly the 48-byte Mode-3 datagrams are answered,
  each answer well-formed, every valid request answered.
- Stopping the responder while requests keep arriving takes less than 3 s.
"""

import collections
import datetime
import os
import random
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import PeerUnavailable, process, run_checks  # noqa: E402
from peers import sorbel  # noqa: E402

ADDRESS = "127.0.0.1"
STRATUM = 2
REFID = "192.0.2.7"
FUZZ_COUNT = 100000
FUZZ_BATCH = 20  # garbage datagrams between two valid requests (more overflow the receive buffer)
STOP_LIMIT_MS = 3000
FUZZ_LIMIT_S = 240  # the responder runs 300 s
FIELDS = ("udp.srcport", "udp.dstport", "ntp.flags.li", "ntp.flags.vn", "ntp.flags.mode",
          "ntp.stratum", "ntp.ppoll", "ntp.rootdelay", "ntp.rootdispersion", "ntp.reftime",
          "ntp.org", "ntp.rec", "ntp.xmt")
_STAMP = re.compile(r"(\w{3}) +(\d+), (\d{4}) (\d\d):(\d\d):(\d\d)\.(\d{9}) UTC")


def stamp(text):
    """tshark's timestamp text as (datetime, nanoseconds) for ordering."""
    m = _STAMP.match(text)
    if not m:
        raise ValueError("not a timestamp: %r" % text)
    day = datetime.datetime.strptime("%s %s %s %s:%s:%s" % m.groups()[:6], "%b %d %Y %H:%M:%S")
    return day, int(m.group(7))


class Capture:
    """tshark -i lo with a port filter, written to a file; decoded after stop."""

    def __init__(self, ports):
        self.ports = ports
        self.dir = tempfile.mkdtemp(prefix="tshark-")
        self.pcap = os.path.join(self.dir, "capture.pcap")
        self.process = None

    def start(self, timeout=30.0):
        tshark = shutil.which("tshark")
        if not tshark:
            raise PeerUnavailable("tshark is not installed (Debian package tshark)")
        log_path = os.path.join(self.dir, "tshark.log")
        self.log = open(log_path, "w")
        capture_filter = " or ".join("udp port %d" % p for p in self.ports)
        self.process = subprocess.Popen([tshark, "-i", "lo", "-f", capture_filter, "-w", self.pcap],
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=self.log)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and self.process.poll() is None:
            with open(log_path) as f:
                if "Capturing on" in f.read():
                    return self
            time.sleep(0.1)
        with open(log_path) as f:
            text = f.read()
        self.stop()
        raise PeerUnavailable("tshark did not start capturing: %s" % text)

    def stop(self):
        if self.process is not None:
            time.sleep(0.5)  # let the last packets reach the file
            process.reap(self.process)
            self.process = None
            self.log.close()

    def rows(self):
        command = ["tshark", "-r", self.pcap, "-T", "fields", "-E", "separator=/t"]
        for p in self.ports:
            command += ["-d", "udp.port==%d,ntp" % p]
        for field in FIELDS:
            command += ["-e", field]
        run = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                             timeout=120)
        return [dict(zip(FIELDS, line.split("\t"))) for line in run.stdout.splitlines()]

    def close(self):
        self.stop()
        shutil.rmtree(self.dir, ignore_errors=True)


def check_decoded(row, mode, originate_text, label):
    failures = []
    want = {"ntp.flags.li": "0", "ntp.flags.vn": "4", "ntp.flags.mode": str(mode),
            "ntp.stratum": str(STRATUM), "ntp.ppoll": "0", "ntp.rootdelay": "0",
            "ntp.rootdispersion": "0", "ntp.org": originate_text}
    for key, value in want.items():
        if row.get(key) != value:
            failures.append("%s: %s is %r, expected %r" % (label, key, row.get(key), value))
    if row.get("ntp.rec") != row.get("ntp.reftime"):
        failures.append("%s: Receive %r differs from Reference %r"
                        % (label, row.get("ntp.rec"), row.get("ntp.reftime")))
    elif stamp(row["ntp.rec"]) > stamp(row["ntp.xmt"]):
        failures.append("%s: Receive %r after Transmit %r" % (label, row["ntp.rec"], row["ntp.xmt"]))
    return failures


def decoded_exchange(port, broadcast_port):
    """One request, its reply and one broadcast, as tshark decodes them."""
    failures = []
    capture = Capture((port, broadcast_port)).start()
    receiver = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    receiver.bind((ADDRESS, broadcast_port))
    receiver.settimeout(10)
    try:
        settings = {"NTPCONFIG": {"NTP_PORT": port, "STRATUM": STRATUM, "REFID": REFID},
                    "SORBEL": {"BROADCAST_IPADDR": ADDRESS, "BROADCAST_NTPPORT": broadcast_port}}
        with sorbel.SorbelProbe(settings, broadcasts=1):
            with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as client:
                client.settimeout(5)
                client.bind((ADDRESS, 0))
                client_port = client.getsockname()[1]
                client.sendto(sorbel.request(), (ADDRESS, port))
                client.recvfrom(512)
            receiver.recvfrom(512)
        capture.stop()
        rows = capture.rows()
    finally:
        receiver.close()
        capture.close()
    requests = [r for r in rows if r["udp.srcport"] == str(client_port)]
    replies = [r for r in rows if r["udp.dstport"] == str(client_port)]
    broadcasts = [r for r in rows if r["udp.dstport"] == str(broadcast_port)]
    if len(requests) != 1 or len(replies) != 1 or len(broadcasts) != 1:
        return ["capture holds %d requests, %d replies, %d broadcasts of ours (expected 1 each)"
                % (len(requests), len(replies), len(broadcasts))]
    print("reply: %s" % replies[0])
    print("broadcast: %s" % broadcasts[0])
    failures += check_decoded(replies[0], 4, requests[0]["ntp.xmt"], "reply")
    # A broadcast's Originate is the time its message was made.
    failures += check_decoded(broadcasts[0], 5, broadcasts[0]["ntp.org"], "broadcast")
    if replies[0]["udp.srcport"] != str(port):
        failures.append("reply sent from port %s, not %d" % (replies[0]["udp.srcport"], port))
    return failures


def well_formed(answer):
    return (len(answer) == 48 and answer[0] == 0x24 and answer[1] == STRATUM and answer[2] == 0
            and answer[3] == (2 * STRATUM - 18) & 0xFF and answer[4:12] == bytes(8)
            and answer[12:16] == socket.inet_aton(REFID) and answer[16:24] == answer[32:40])


def fuzz(port):
    """Random datagrams with valid requests in between; returns failures."""
    rng = random.Random(20240123)
    expected = collections.Counter()  # Transmit bytes of datagrams that must be answered
    answered = collections.Counter()
    malformed = 0
    missing = 0
    started = time.monotonic()
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1 << 20)
        target = (ADDRESS, port)
        for batch in range(FUZZ_COUNT // FUZZ_BATCH):
            if missing or time.monotonic() - started > FUZZ_LIMIT_S:
                break
            for _ in range(FUZZ_BATCH):
                n = rng.randint(0, 600)
                data = rng.randbytes(n)
                if n == 48 and data[0] & 7 == 3:
                    expected[data[40:48]] += 1
                s.sendto(data, target)
            marker = struct.pack("!II", 0x5EED0000 | batch, batch)
            expected[marker] += 1
            s.sendto(sorbel.request(marker), target)
            # The valid request's answer comes after everything sent before it.
            deadline = time.monotonic() + 5
            while True:
                s.settimeout(max(0.01, deadline - time.monotonic()))
                try:
                    answer = s.recv(2048)
                except socket.timeout:
                    missing += 1
                    break
                if not well_formed(answer):
                    malformed += 1
                answered[answer[24:32]] += 1
                if answer[24:32] == marker:
                    break
    failures = []
    valid = FUZZ_COUNT // FUZZ_BATCH
    if batch + 1 < valid:
        failures.append("fuzz: ended after %d of %d rounds" % (batch, valid))
    print("fuzz: %.1f s," % (time.monotonic() - started))
    print("fuzz: %d datagrams, %d to be answered (%d valid requests), %d answers, %d malformed"
          % (FUZZ_COUNT + valid, sum(expected.values()), valid, sum(answered.values()), malformed))
    if missing:
        failures.append("fuzz: %d valid requests got no answer" % missing)
    if malformed:
        failures.append("fuzz: %d malformed answers" % malformed)
    if answered != expected:
        extra = answered - expected
        lost = expected - answered
        failures.append("fuzz: %d unexpected answers, %d datagrams unanswered"
                        % (sum(extra.values()), sum(lost.values())))
    return failures


def stop_under_load(port):
    """Stops the responder while a sender keeps requests coming (bounded)."""
    stop = threading.Event()
    sent = [0]

    def flood():
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            deadline = time.monotonic() + 30
            while not stop.is_set() and time.monotonic() < deadline:
                s.sendto(sorbel.request(), (ADDRESS, port))
                sent[0] += 1

    probe = sorbel.SorbelProbe({"NTPCONFIG": {"NTP_PORT": port}}).start()
    sender = threading.Thread(target=flood)
    sender.start()
    try:
        time.sleep(1.0)
        values = probe.stop()
    finally:
        stop.set()
        sender.join(35)
        probe.stop()
    stop_ms = int(values.get("stop_ms", "-1"))
    print("stop under load: %d ms (%d requests sent)" % (stop_ms, sent[0]))
    if values.get("done") != "1" or not 0 <= stop_ms < STOP_LIMIT_MS:
        return ["stop under load took %d ms (limit %d): %r" % (stop_ms, STOP_LIMIT_MS, values)]
    return []


def fuzzed_responder():
    port = sorbel.free_udp_port()
    settings = {"NTPCONFIG": {"NTP_PORT": port, "STRATUM": STRATUM, "REFID": REFID}}
    with sorbel.SorbelProbe(settings, seconds=300):  # bounded by FUZZ_LIMIT_S
        return fuzz(port)


def main():
    return run_checks(lambda: decoded_exchange(sorbel.free_udp_port(), sorbel.free_udp_port()),
                      fuzzed_responder, lambda: stop_under_load(sorbel.free_udp_port()))


if __name__ == "__main__":
    sys.exit(main())
