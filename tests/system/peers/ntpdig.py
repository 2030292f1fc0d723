"""ntpdig (Debian ntpsec-ntpdig) as NTP client: what it reports about a server."""

import re
import subprocess

from .process import find

_HEX_LINE = re.compile(r"^((?:[0-9a-f]{2} ){16})", re.MULTILINE)
_SUMMARY = re.compile(r"\(([+-]\d{4})\) ([+-]\d+\.\d+) \+/- (\d+\.\d+) \S+.* s(\d+) \S+$", re.MULTILINE)


def _signed8(b):
    return b - 256 if b > 127 else b


def query(address, timeout=5):
    """ntpdig -d -d: offset (s, server minus local), error (+/- s), stratum, reply_stratum, precision, refid."""
    run = subprocess.run([find("ntpdig", "ntpsec-ntpdig"), "-4", "-d", "-d", "-t", str(timeout), address],
                         stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=timeout + 30)
    # At debug level 2 ntpdig dumps the request and the reply in hex.
    data = bytes(int(h, 16) for line in _HEX_LINE.findall(run.stdout) for h in line.split())
    replies = [data[i:i + 48] for i in range(0, len(data) - 47, 48) if data[i] & 7 == 4]
    summary = _SUMMARY.search(run.stdout)
    if run.returncode != 0 or not replies or not summary:
        raise RuntimeError("ntpdig gave no usable answer (rc %d):\n%s\n%s" % (run.returncode, run.stdout, run.stderr))
    reply = replies[-1]
    # The reference identifier as NTP shows it: an IPv4 address above stratum 1,
    # else up to four characters ending at the first zero byte.
    refid = (".".join(str(b) for b in reply[12:16]) if _signed8(reply[1]) > 1
             else reply[12:16].split(b"\0", 1)[0].decode("latin-1"))
    return {"offset": float(summary.group(2)), "error": float(summary.group(3)),
            "stratum": int(summary.group(4)), "reply_stratum": reply[1], "precision": _signed8(reply[3]),
            "refid": refid}
