"""ntpdig and chronyd -Q ask the server engine (sorbel_probe under Wine) on
port 123: the offset they measure is within 2 ms of zero, and ntpdig sees
the stratum, precision and reference identifier of the INI file.

Our timestamps have millisecond steps and Wine may schedule the responder a
few milliseconds late on a busy machine, so one ntpdig sample can be off by
more than that; the sample with the smallest error estimate of several is
judged, as an NTP client would (chronyd filters its own samples)."""

import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import PeerUnavailable, run_checks  # noqa: E402
from peers import ntpdig, sorbel  # noqa: E402

ADDRESS = "127.0.0.1"
TOLERANCE_S = 0.002
SAMPLES = 5
CASES = ({"STRATUM": 3, "REFID": "10.20.30.40"}, {"STRATUM": 1, "REFID": "GPSX"})
_WRONG_BY = re.compile(r"System clock wrong by (-?\d+\.\d+) seconds")


def chronyd_query(port):
    """The offset chronyd -Q measures (chronyd's sign: server minus local)."""
    chronyd = shutil.which("chronyd") or shutil.which("chronyd", path="/usr/sbin:/sbin")
    if not chronyd:
        raise PeerUnavailable("chronyd is not installed (Debian package chrony)")
    work = tempfile.mkdtemp(prefix="chrony-q-")
    try:
        conf = os.path.join(work, "chrony.conf")
        with open(conf, "w") as f:
            f.write("server %s port %d iburst\n" % (ADDRESS, port))
            f.write("cmdport 0\n")
            f.write("pidfile %s\n" % os.path.join(work, "chronyd.pid"))
        command = [chronyd, "-Q", "-x", "-t", "30", "-f", conf]
        if os.getuid() == 0:
            command[1:1] = ["-u", "root"]
        run = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                             timeout=60)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    found = _WRONG_BY.search(run.stdout + run.stderr)
    if not found:
        raise RuntimeError("chronyd -Q measured nothing (rc %d):\n%s%s"
                           % (run.returncode, run.stdout, run.stderr))
    return float(found.group(1))


def check(ntp_config):
    failures = []
    stratum = ntp_config["STRATUM"]
    label = "stratum %d refid %s" % (stratum, ntp_config["REFID"])
    with sorbel.SorbelProbe({"NTPCONFIG": dict(ntp_config, NTP_PORT=123)}):
        theirs = min((ntpdig.query(ADDRESS) for _ in range(SAMPLES)), key=lambda q: q["error"])
        chrony_offset = chronyd_query(123)
    print("%s: ntpdig %+.6f s, stratum %d, precision %d, refid %s; chronyd -Q %+.6f s"
          % (label, theirs["offset"], theirs["stratum"], theirs["precision"], theirs["refid"],
             chrony_offset))
    if abs(theirs["offset"]) > TOLERANCE_S:
        failures.append("%s: ntpdig offset %+.6f s" % (label, theirs["offset"]))
    if abs(chrony_offset) > TOLERANCE_S:
        failures.append("%s: chronyd -Q offset %+.6f s" % (label, chrony_offset))
    expected = (stratum, 2 * stratum - 18, ntp_config["REFID"])
    got = (theirs["reply_stratum"], theirs["precision"], theirs["refid"])
    if got != expected:
        failures.append("%s: stratum/precision/refid %r, expected %r" % (label, got, expected))
    return failures


def main():
    return run_checks(*[lambda case=case: check(case) for case in CASES])


if __name__ == "__main__":
    sys.exit(main())
