"""Real peers for the system tests, one context manager each; a missing peer skips (77), under CI it fails."""

import os


class PeerUnavailable(Exception):
    pass


class StartStop:
    """A context manager over the peer's start() and stop()."""
    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


def run_checks(*checks):
    """Runs the checks (callables returning lists of failure texts), prints the failures; the exit code."""
    try:
        failures = sum((check() for check in checks), [])
    except PeerUnavailable as e:
        under_ci = os.environ.get("CI", "").lower() == "true"
        print(("FAIL: a peer is unavailable under CI: %s" if under_ci else "SKIPPED: %s") % e)
        return 1 if under_ci else 77  # ctest's SKIP_RETURN_CODE
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0
