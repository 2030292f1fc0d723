"""Real peers for the system tests, one module per peer.

Each module starts its peer with a temporary configuration, waits (bounded)
until it answers, and stops it again, also when the test fails: use the
peers as context managers. A peer that cannot be installed or started
raises PeerUnavailable, which a test turns into unavailable(): a skip (exit
code SKIP_EXIT_CODE, registered as SKIP_RETURN_CODE in CMake) on a
developer's machine, a failure under CI (CI=true), where the setup installs
every peer and a test that did not run must not pass.

  chrony.py  chronyd as NTP server (optionally under faketime)
  ntpdig.py  ntpdig as NTP client, its view of a server's reply
  wine.py    running the suite's Windows programs through wine-run.sh
  window_driver.py  the windows of a real program (window_driver.exe)
  sorbel_program.py Sorbel.exe itself, from a folder of its own

Peers that need a fixed port (123) take a loopback address of their own,
so that tests can run side by side: 127.0.0.2 is used by ntp_correction_test.
"""

import os

SKIP_EXIT_CODE = 77


class PeerUnavailable(Exception):
    """The peer is not installed or would not start."""


def unavailable(error):
    """Prints why a peer is missing; the exit code for ctest."""
    if os.environ.get("CI", "").lower() == "true":
        print("FAIL: a peer is unavailable under CI: %s" % error)
        return 1
    print("SKIPPED: %s" % error)
    return SKIP_EXIT_CODE


def run_checks(*checks):
    """Runs the checks (callables that return lists of failure texts) in turn
    and prints the failures. Returns the exit code for ctest: 0, 1 when a
    check failed, unavailable() when a peer is unavailable."""
    failures = []
    try:
        for check in checks:
            failures += check()
    except PeerUnavailable as e:
        return unavailable(e)
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0
