"""ntpdig and chronyd -Q ask the server engine (sorbel_probe under Wine) on
port 123: the offset they measure is within 2 ms of zero, and ntpdig sees
the stratum, precision and reference identifier of the INI file.

Our timestamps have millisecond steps and Wine may schedule the responder a
few milliseconds late on a busy machine, so one ntpdig sample can be off by
more than that; the sample with the smallest error estimate of several is
judged, as an NTP client would (chronyd filters its own samples)."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import run_checks  # noqa: E402
from peers import chrony, ntpdig, sorbel  # noqa: E402

TOLERANCE_S = 0.002
SAMPLES = 5
# The INI file's settings and the precision the reply carries for that stratum.
CASES = (({"STRATUM": 3, "REFID": "10.20.30.40"}, -12), ({"STRATUM": 1, "REFID": "GPSX"}, -16))


def check(ntp_config, precision):
    failures = []
    label = "stratum %d refid %s" % (ntp_config["STRATUM"], ntp_config["REFID"])
    with sorbel.SorbelProbe({"NTPCONFIG": dict(ntp_config, NTP_PORT=123)}):
        theirs = min((ntpdig.query("127.0.0.1") for _ in range(SAMPLES)), key=lambda q: q["error"])
        chrony_offset = chrony.query_offset("127.0.0.1", 123)
    print("%s: ntpdig %r; chronyd -Q %+.6f s" % (label, theirs, chrony_offset))
    for name, offset in (("ntpdig", theirs["offset"]), ("chronyd -Q", chrony_offset)):
        if abs(offset) > TOLERANCE_S:
            failures.append("%s: %s offset %+.6f s" % (label, name, offset))
    expected = (ntp_config["STRATUM"], precision, ntp_config["REFID"])
    got = (theirs["reply_stratum"], theirs["precision"], theirs["refid"])
    if got != expected:
        failures.append("%s: stratum/precision/refid %r, expected %r" % (label, got, expected))
    return failures


def main():
    return run_checks(*[lambda case=case: check(*case) for case in CASES])


if __name__ == "__main__":
    sys.exit(main())
