"""NTP correction runs (correction_probe, virtual clock) against skewed chronyd, a bad server and an unknown name."""

import os
import re
import socket
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import chrony, ntpdig, process, run_checks, sorbel, wine  # noqa: E402

ADDRESS, SILENT_ADDRESS = "127.0.0.2", "127.0.0.3"
ALLOWANCE_MS = 1000
TOLERANCE_MS = 10

# server skew s -> [(local skew ms, set, (kind, stepped, held back))]; kind 1 confirmed, 2 corrected.
# (The exact allowance and two-minute bounds: time_correction_test.)
CASES = {
    5: [(0, False, (1, False, False)), (0, True, (2, True, False)),
        (4500, True, (1, False, False))],  # behind by 0.5 s: within allowance
    -3: [(0, False, (1, False, False)), (0, True, (2, False, True)),
         (90000, True, (2, False, True)),  # ahead by 93 s: still held back
         (147000, True, (2, True, False))],  # ahead by 150 s: stepped back
}

_RUN = re.compile(r"result=(\d) kind=(\d) sets=(\d+) skew_ms=(-?\d+) slew_ms=(-?\d+) real_ms=(\d+) line=(.*)$",
                  re.MULTILINE)
_OFFSET = re.compile(r"誤差 (\d+\.\d{3})秒の(進み|遅れ)|誤差無し")


def probe_runs(target, limit, allowance, set_clock, local_skew, count=1, proxy=None, proto="ntp"):
    """The runs correction_probe reports, as dicts (also used by tools/bench/accuracy.py)."""
    args = [proto, target, limit, allowance, 1 if set_clock else 0, local_skew, count] + ([proxy] if proxy else [])
    run = wine.run(wine.program("tests/system/correction_probe.exe"), *args, timeout=300)
    runs = []
    for m in _RUN.finditer(run.stdout):
        r = dict(zip(("result", "kind", "sets", "skew_ms", "slew_ms", "real_ms"), map(int, m.groups()[:6])))
        offset = _OFFSET.search(m.group(7))
        r["offset_ms"] = offset and (round(float(offset.group(1)) * 1000) * (1 if offset.group(2) == "進み" else -1)
                                     if offset.group(1) else 0)
        r["line"] = m.group(7).rstrip()
        print("%s: %s (%d ms)" % (target, r["line"], r["real_ms"]))
        runs.append(r)
    if run.returncode != 0 or len(runs) != count:
        raise RuntimeError("correction_probe failed (rc %d): %s %s" % (run.returncode, run.stdout, run.stderr))
    return runs


def probe_run(target, limit, set_clock, local_skew=0, proxy=None, proto="ntp"):
    return probe_runs(target, limit, ALLOWANCE_MS, set_clock, local_skew, 1, proxy, proto)[0]


def check_server(skew):
    failures = []
    with chrony.ChronyServer(ADDRESS, skew=skew):
        for local_skew, set_clock, (kind, stepped, held) in CASES[skew]:
            label = "server %+d s, local %+d ms, %s" % (skew, local_skew, "set" if set_clock else "test")
            r = probe_run(ADDRESS, 5000, set_clock, local_skew)
            expected_offset = local_skew - 1000 * skew
            problems = []
            if r["result"] != 1 or r["kind"] != kind:
                problems.append("result %d kind %d, expected 1 and %d" % (r["result"], r["kind"], kind))
            # An SNTP offset is good to half the round trip; a busy machine may stretch that.
            rtt = re.search(r"応答速度:(\d+\.\d+)秒", r["line"])
            tolerance = TOLERANCE_MS + (float(rtt.group(1)) * 500 if rtt else 0)
            if r["offset_ms"] is None or abs(r["offset_ms"] - expected_offset) > tolerance:
                problems.append("offset %s ms, expected %d" % (r["offset_ms"], expected_offset))
            if not r["line"].startswith(" ") or " ： %s　( %s の応答 )" % ({1: "確認", 2: "補正"}[kind], ADDRESS) not in r["line"]:
                problems.append("line form")
            if stepped:  # the step puts the virtual clock on the server's time
                if r["sets"] != 1 or abs(r["skew_ms"] - 1000 * skew) > tolerance:
                    problems.append("step: %d sets, clock now %+d ms" % (r["sets"], r["skew_ms"]))
            elif r["sets"] != 0 or r["skew_ms"] != local_skew:
                problems.append("clock changed: %d sets" % r["sets"])
            if held != (r["slew_ms"] > 0) or (held and abs(r["slew_ms"] - expected_offset) > tolerance):
                problems.append("held back %d ms" % r["slew_ms"])
            failures += ["%s: %s" % (label, p) for p in problems]
        details = re.search(r"\[階層:(\d+)/参照:([^/]*)/精度:(-?\d+)/", r["line"])
        theirs = ntpdig.query(ADDRESS)
        if not details or details.groups() != (str(theirs["stratum"]), theirs["refid"], str(theirs["precision"])):
            failures.append("server %+d s: details %s, ntpdig %r" % (skew, details and details.groups(), theirs))
    return failures


def reply(request, skew=9, **fields):
    """A good answer to request from a server skew s ahead (stratum 2); fields: oN=bytes put at offset N."""
    stamp = sorbel.ntp_stamp(time.time() + skew)
    data = bytearray(b"\x24\x02\x00\xec" + bytes(8) + socket.inet_aton("192.0.2.7") + stamp + request[40:48]
                     + stamp + stamp)
    for offset, value in fields.items():
        data[int(offset[1:]):int(offset[1:]) + len(value)] = value
    return bytes(data)


# The answers to one request each: (bytes, from port 123?), and the text of the failure.
BAD_SERVER = [
    # From another port, and for another request (Originate): both ignored.
    (lambda q: [(reply(q, 100), False), (reply(q, 100, o24=bytes(8)), True), (reply(q), True)], None),
] + [(lambda q, f=f: [(reply(q, **f), True)], "返答モード不正")  # mode 3, 5, stratum 0, leap 3, no time
       for f in ({"o0": b"\x23"}, {"o0": b"\x25"}, {"o1": b"\0"}, {"o0": b"\xe4"}, {"o40": bytes(8)})] + [
    (lambda q: [(reply(q)[:47], True)], "受信失敗"), (lambda q: [(reply(q) + b"\0", True)], "受信失敗")]


def check_own_server_and_unknown_name():
    failures = []
    with process.held_udp(SILENT_ADDRESS, 123) as server, socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as other:
        other.bind((SILENT_ADDRESS, 0))
        server.settimeout(60)

        def serve():
            for answers, _ in BAD_SERVER:
                request, client = server.recvfrom(512)
                for data, own in answers(request):
                    (server if own else other).sendto(data, client)
        threading.Thread(target=serve, daemon=True).start()
        for r, (_, text) in zip(probe_runs(SILENT_ADDRESS, 3000, ALLOWANCE_MS, True, 0, len(BAD_SERVER)), BAD_SERVER):
            wanted = "通信エラー(%s)" % text if text else "補正　( %s の応答 ) 誤差 " % SILENT_ADDRESS
            if (r["kind"] != (0 if text else 2) or r["sets"] != (0 if text else 1) or wanted not in r["line"]
                    or not (text or abs(r["offset_ms"] + 9000) < 100)):
                failures.append("own server: %s, expected %s" % (r["line"], wanted))
        # Silent: a limit below one second still waits one whole slice.
        for limit, least in ((2000, 1900), (500, 900)):
            r = probe_run(SILENT_ADDRESS, limit, True)
            if r["kind"] != 0 or "失敗　( %s の応答 ) 返答待機タイムアウト[" % SILENT_ADDRESS not in r["line"]:
                failures.append("silent server: %s" % r["line"])
            if not least <= r["real_ms"] < 6000:
                failures.append("silent server: gave up after %d ms, limit %d" % (r["real_ms"], limit))
    r = probe_run("no-such-host.invalid", 2000, True)
    if r["kind"] != 0 or "通信エラー(サーバIPアドレス無効)" not in r["line"] or r["real_ms"] > 6000:
        failures.append("unknown name: %s after %d ms" % (r["line"], r["real_ms"]))
    return failures


if __name__ == "__main__":
    sys.exit(run_checks(*[lambda skew=skew: check_server(skew) for skew in CASES],
                        check_own_server_and_unknown_name))
