"""SNTP exchanges through CSNTP against chronyd, plain and skewed by faketime.

The offset that sntp_probe measures in one exchange (local minus server; of
five exchanges the one with the shortest round trip) must equal the
negated skew within 2 ms, and the decoded stratum, reference identifier and
precision must be those that ntpdig sees in its reply from the same server.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import SKIP_EXIT_CODE, PeerUnavailable  # noqa: E402
from peers import chrony, ntpdig, wine  # noqa: E402

ADDRESS = "127.0.0.2"
SKEWS = (None, 5, -3)  # seconds added to the server's clock
TOLERANCE_MS = 2
# Exchanges per run; the one with the shortest round trip is judged.
SAMPLES = 5


def check(skew):
    """Returns a list of failure texts for one server run."""
    failures = []
    label = "skew %+ds" % skew if skew else "no skew"
    probe = wine.program("tests/system/sntp_probe.exe")
    with chrony.ChronyServer(ADDRESS, skew=skew):
        run = wine.run(probe, ADDRESS, 123, 5000, SAMPLES, timeout=120)
        if run.returncode != 0:
            return ["%s: sntp_probe failed (rc %d): %s" % (label, run.returncode, run.stderr.strip())]
        ours = wine.key_values(run.stdout)
        theirs = ntpdig.query(ADDRESS)
    offset = int(ours["offset_ms"])
    expected = -1000 * (skew or 0)
    print("%s: samples (offset/round trip ms) %s" % (label, ours["samples"]))
    print("%s: offset %d ms (expected %d), round trip %s ms, stratum %s, refid %s, precision %s;"
          " ntpdig: %+.6f s, stratum %d, refid %s, precision %d"
          % (label, offset, expected, ours["elapsed_ms"], ours["stratum"], ours["refid"],
             ours["precision"], theirs["offset"], theirs["stratum"], theirs["refid"],
             theirs["precision"]))
    if abs(offset - expected) > TOLERANCE_MS:
        failures.append("%s: offset %d ms, expected %d +/- %d" % (label, offset, expected, TOLERANCE_MS))
    if abs(offset + round(theirs["offset"] * 1000)) > TOLERANCE_MS + 1:
        failures.append("%s: offset %d ms disagrees with ntpdig's %+.6f s" % (label, offset, theirs["offset"]))
    for key in ("stratum", "precision"):
        if int(ours[key]) != theirs[key]:
            failures.append("%s: %s %s, ntpdig %s" % (label, key, ours[key], theirs[key]))
    if ours["refid"] != theirs["refid"]:
        failures.append("%s: refid %r, ntpdig %r" % (label, ours["refid"], theirs["refid"]))
    return failures


def main():
    failures = []
    try:
        for skew in SKEWS:
            failures += check(skew)
    except PeerUnavailable as e:
        print("SKIPPED: %s" % e)
        return SKIP_EXIT_CODE
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
