"""Running the suite's Windows programs under Wine through $SUITE_BUILD_DIR/wine-run.sh."""

import os
import subprocess
import tempfile


def build_dir():
    return os.environ["SUITE_BUILD_DIR"]  # set by ctest


def program(relative):
    """Path of a program in the build tree, e.g. program('tests/system/correction_probe.exe')."""
    path = os.path.join(build_dir(), relative)
    if not os.path.exists(path):
        raise RuntimeError("%s has not been built" % path)
    return path


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")  # Wine maps the Unix root to Z:


def run(exe, *args, timeout=120, env=None, cwd=None):
    """Runs exe with args under Wine; returns the CompletedProcess (cp932 text).
    Files, not pipes: Wine's helpers keep pipes open until the wineserver exits, seconds per run."""
    command = [os.path.join(build_dir(), "wine-run.sh"), exe] + [str(a) for a in args]
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout,
                              env=dict(os.environ, **(env or {})), cwd=cwd)
        out.seek(0)
        err.seek(0)
        done.stdout = out.read().decode("cp932", errors="replace")
        done.stderr = err.read().decode("cp932", errors="replace")
    return done


def key_values(text):
    """key=value lines of a program's output as a dict."""
    return dict(line.strip().partition("=")[::2] for line in text.splitlines() if "=" in line)
