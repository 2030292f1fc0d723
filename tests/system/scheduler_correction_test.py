"""The scheduler's periodic runs (client_app_tests, PeriodicRunsAgainstRealServers) against a silent server and two
chronyd -x that faketime puts 3 s behind."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import chrony, process, run_checks, wine  # noqa: E402

SILENT, FIRST, SECOND = "127.0.0.71", "127.0.0.72", "127.0.0.73"


def check_periodic_runs():
    with process.held_udp(SILENT, 123), chrony.ChronyServer(FIRST, skew=-3), chrony.ChronyServer(SECOND, skew=-3):
        done = wine.run(wine.program("tests/client/client_app_tests.exe"), "--gtest_filter=*RealServers",
                        env={"SCHEDULER_PEERS": ",".join((SILENT, FIRST, SECOND))}, timeout=300)
    print(done.stdout)
    return [] if "[  PASSED  ] 1 test." in done.stdout else ["the scheduler's runs went wrong"]


if __name__ == "__main__":
    sys.exit(run_checks(check_periodic_runs))
