"""The scheduler's periodic runs (client_app_tests, its timer simulated, on a
shifted real clock) against two chronyd -x that faketime puts 3 s behind,
after a silent server: one failure and one correction line at the start, the
clock held back rather than stepped, the selection past the server that
answered, and 900 ticks later a run from there that finds the clock right."""

import os
import socket
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import PeerUnavailable, chrony, run_checks, wine  # noqa: E402

SILENT, FIRST, SECOND = "127.0.0.71", "127.0.0.72", "127.0.0.73"


def check_periodic_runs():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as silent:
        try:
            silent.bind((SILENT, 123))
        except OSError as e:
            raise PeerUnavailable("cannot hold %s:123: %s" % (SILENT, e))
        with chrony.ChronyServer(FIRST, skew=-3), chrony.ChronyServer(SECOND, skew=-3):
            done = wine.run(wine.program("tests/client/client_app_tests.exe"), "--gtest_filter=*RealServers",
                            env={"SCHEDULER_PEERS": ",".join((SILENT, FIRST, SECOND))}, timeout=300)
    print(done.stdout)
    return [] if "[  PASSED  ] 1 test." in done.stdout else ["the scheduler's runs went wrong"]


if __name__ == "__main__":
    sys.exit(run_checks(check_periodic_runs))
