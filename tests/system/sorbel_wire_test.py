"""The server engine (sorbel_probe under Wine) on the wire: a broadcast, fuzzing, a stop under load."""

import collections
import os
import random
import socket
import struct
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import process, run_checks, sorbel  # noqa: E402

ADDRESS = "127.0.0.1"
STRATUM, REFID = 2, "192.0.2.7"
FUZZ_COUNT = 100000
FUZZ_BATCH = 20  # garbage datagrams between two valid requests (more overflow the receive buffer)
FUZZ_LIMIT_S = 240  # the responder runs 300 s
FIELDS = ("ntp.flags.li", "ntp.flags.vn", "ntp.flags.mode", "ntp.stratum", "ntp.ppoll", "ntp.rootdelay",
          "ntp.rootdispersion", "ntp.reftime", "ntp.rec", "ntp.xmt")


class Capture(process.Daemon):
    """tshark -i lo on one UDP port, written to a file and decoded as NTP after the stop."""
    program, package, pid_file = "tshark", "tshark", "output.log"

    def __init__(self, port):
        process.Daemon.__init__(self, "lo")
        self.port = port

    def command(self):
        return ["-i", "lo", "-f", "udp port %d" % self.port, "-w", self.path("c.pcap")]

    def ready(self):
        return "Capturing on" in self.read()

    def rows(self):
        time.sleep(0.5)  # let the last packets reach the file
        process.reap(self.process)
        command = ["tshark", "-r", self.path("c.pcap"), "-T", "fields", "-E", "separator=/t",
                   "-d", "udp.port==%d,ntp" % self.port] + sum((["-e", field] for field in FIELDS), [])
        run = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=120)
        return [dict(zip(FIELDS, line.split("\t"))) for line in run.stdout.splitlines()]


def stamp(text):
    """tshark's "Mon DD, YYYY hh:mm:ss.nnnnnnnnn UTC" as a sortable tuple."""
    month, day, year, clock = text.replace(",", "").split()[:4]
    return (year, time.strptime(month, "%b").tm_mon, int(day), clock)


def check_broadcast():
    """One broadcast as tshark decodes it: mode 5, version 4, Receive = Reference <= Transmit."""
    port, broadcast_port = sorbel.free_udp_port(), sorbel.free_udp_port()
    settings = {"NTPCONFIG": {"NTP_PORT": port, "STRATUM": STRATUM, "REFID": REFID},
                "SORBEL": {"BROADCAST_IPADDR": ADDRESS, "BROADCAST_NTPPORT": broadcast_port}}
    with Capture(broadcast_port) as capture, socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as receiver:
        receiver.bind((ADDRESS, broadcast_port))
        receiver.settimeout(10)
        with sorbel.SorbelProbe(settings, broadcasts=1):
            receiver.recvfrom(512)
        rows = capture.rows()
    if len(rows) != 1 or len(rows[0]) != len(FIELDS):
        return ["capture holds %r (expected one broadcast)" % rows]
    row = rows[0]
    print("broadcast: %s" % row)
    want = {"ntp.flags.li": "0", "ntp.flags.vn": "4", "ntp.flags.mode": "5", "ntp.stratum": str(STRATUM),
            "ntp.ppoll": "0", "ntp.rootdelay": "0", "ntp.rootdispersion": "0", "ntp.reftime": row["ntp.rec"]}
    failures = ["broadcast: %s is %r, expected %r" % (k, row[k], v) for k, v in want.items() if row[k] != v]
    if stamp(row["ntp.rec"]) > stamp(row["ntp.xmt"]):
        failures.append("broadcast: Receive %s after Transmit %s" % (row["ntp.rec"], row["ntp.xmt"]))
    return failures


def well_formed(answer, source, port):
    """Header (v4, mode 4, poll 0, precision -14), zero root fields, refid, Reference = Receive <= Transmit, port."""
    return (len(answer) == 48 and answer[:4] == bytes([0x24, STRATUM, 0, 0xF2]) and answer[4:12] == bytes(8)
            and answer[12:16] == socket.inet_aton(REFID) and answer[16:24] == answer[32:40] <= answer[40:48]
            and source == (ADDRESS, port))


def fuzz():
    """Random datagrams with valid requests between: exactly the 48-byte mode-3 ones are answered, well-formed."""
    port = sorbel.free_udp_port()
    rng = random.Random(20240123)
    expected, answered = collections.Counter(), collections.Counter()  # by Transmit bytes
    malformed = missing = rounds = 0
    started = time.monotonic()
    with sorbel.SorbelProbe({"NTPCONFIG": {"NTP_PORT": port, "STRATUM": STRATUM, "REFID": REFID}}, seconds=300), \
            socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1 << 20)
        for rounds in range(1, FUZZ_COUNT // FUZZ_BATCH + 1):
            if missing or time.monotonic() - started > FUZZ_LIMIT_S:
                break
            for _ in range(FUZZ_BATCH):
                data = rng.randbytes(rng.randint(0, 600))
                if len(data) == 48 and data[0] & 7 == 3:
                    expected[data[40:48]] += 1
                s.sendto(data, (ADDRESS, port))
            marker = struct.pack("!II", 0x5EED0000 | rounds, rounds)
            expected[marker] += 1
            s.sendto(sorbel.request(marker), (ADDRESS, port))
            # The valid request's answer comes after everything sent before it.
            deadline = time.monotonic() + 5
            while True:
                s.settimeout(max(0.01, deadline - time.monotonic()))
                try:
                    answer, source = s.recvfrom(2048)
                except socket.timeout:
                    missing += 1
                    break
                malformed += not well_formed(answer, source, port)
                answered[answer[24:32]] += 1
                if answer[24:32] == marker:
                    break
    print("fuzz: %.1f s, %d rounds, %d answers, %d malformed, %d missing"
          % (time.monotonic() - started, rounds, sum(answered.values()), malformed, missing))
    failures = []
    if rounds < FUZZ_COUNT // FUZZ_BATCH or missing or malformed:
        failures.append("fuzz: %d rounds, %d valid requests unanswered, %d malformed answers"
                        % (rounds, missing, malformed))
    if answered != expected:
        failures.append("fuzz: %d unexpected answers, %d datagrams unanswered"
                        % (sum((answered - expected).values()), sum((expected - answered).values())))
    return failures


def stop_under_load():
    """Stopping the responder while a sender keeps requests coming takes less than 3 s."""
    port = sorbel.free_udp_port()
    stop = threading.Event()

    def flood():
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            deadline = time.monotonic() + 30
            while not stop.is_set() and time.monotonic() < deadline:
                s.sendto(sorbel.request(), (ADDRESS, port))

    sender = threading.Thread(target=flood, daemon=True)  # bounded itself, should a failure leave it running
    with sorbel.SorbelProbe({"NTPCONFIG": {"NTP_PORT": port}}) as probe:
        sender.start()
        time.sleep(1.0)
        values = probe.stop()
    stop.set()
    sender.join(35)
    stop_ms = int(values.get("stop_ms", "-1"))
    print("stop under load: %d ms" % stop_ms)
    if values.get("done") != "1" or not 0 <= stop_ms < 3000:
        return ["stop under load took %d ms (limit 3000): %r" % (stop_ms, values)]
    return []


if __name__ == "__main__":
    sys.exit(run_checks(check_broadcast, fuzz, stop_under_load))
