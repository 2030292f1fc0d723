"""Running the suite's Windows programs under Wine through $SUITE_BUILD_DIR/wine-run.sh."""

import os
import subprocess
import tempfile


def build_dir():
    path = os.environ.get("SUITE_BUILD_DIR")
    if not path:
        raise RuntimeError("SUITE_BUILD_DIR is not set (run the test through ctest)")
    return path


def program(relative):
    """Path of a program in the build tree, e.g. program('tests/system/correction_probe.exe')."""
    path = os.path.join(build_dir(), relative)
    if not os.path.exists(path):
        raise RuntimeError("%s has not been built" % path)
    return path


def run(exe, *args, timeout=120, env=None, encoding="cp932"):
    """Runs exe with args under Wine; returns the CompletedProcess (text output).

    Output goes through files, not pipes: Wine's helper processes keep pipes
    open until the wineserver exits, which would cost seconds per run.
    """
    full_env = dict(os.environ)
    if env:
        full_env.update(env)
    command = [os.path.join(build_dir(), "wine-run.sh"), exe] + [str(a) for a in args]
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              timeout=timeout, env=full_env)
        out.seek(0)
        err.seek(0)
        done.stdout = out.read().decode(encoding, errors="replace")
        done.stderr = err.read().decode(encoding, errors="replace")
    return done


def key_values(text):
    """key=value lines of a program's output as a dict."""
    values = {}
    for line in text.splitlines():
        key, sep, value = line.strip().partition("=")
        if sep:
            values[key] = value
    return values
