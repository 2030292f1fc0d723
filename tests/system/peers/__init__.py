"""Real peers for the system tests, one module per peer.

Each module starts its peer with a temporary configuration, waits (bounded)
until it answers, and stops it again, also when the test fails: use the
peers as context managers. A peer that cannot be installed or started
raises PeerUnavailable, which a test turns into a skip (exit code
SKIP_EXIT_CODE, registered as SKIP_RETURN_CODE in CMake).

  chrony.py  chronyd as NTP server (optionally under faketime)
  ntpdig.py  ntpdig as NTP client, its view of a server's reply
  wine.py    running the suite's Windows programs through wine-run.sh

Peers that need a fixed port (123) take a loopback address of their own,
so that tests can run side by side: 127.0.0.2 is used by ntp_correction_test.
"""

SKIP_EXIT_CODE = 77


class PeerUnavailable(Exception):
    """The peer is not installed or would not start."""


def run_checks(*checks):
    """Runs the checks (callables that return lists of failure texts) in turn
    and prints the failures. Returns the exit code for ctest: 0, 1 when a
    check failed, SKIP_EXIT_CODE when a peer is unavailable."""
    failures = []
    try:
        for check in checks:
            failures += check()
    except PeerUnavailable as e:
        print("SKIPPED: %s" % e)
        return SKIP_EXIT_CODE
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0
