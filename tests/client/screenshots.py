#!/usr/bin/env python3
"""Photographs Vantro's settings panel (in a main window) and its dialogs
inside an 800x600 Wine virtual desktop, caption bars included, into
test-artifacts/vantro_<scene>.png. The test program holds each window open
and names its rectangle; this script photographs it and lets it go on."""
import os
import subprocess
import sys
import time

BUILD = os.environ["SUITE_BUILD_DIR"]
ARTIFACTS = os.path.join(BUILD, "test-artifacts")
HOLD = os.path.join(ARTIFACTS, "vantro-hold")
SCENES = ["panel", "server", "message", "input", "about"]
MARGIN = 8


def main():
    os.makedirs(ARTIFACTS, exist_ok=True)
    for scene in SCENES:
        for suffix in (".ready", ".done"):
            if os.path.exists("%s-%s%s" % (HOLD, scene, suffix)):
                os.remove("%s-%s%s" % (HOLD, scene, suffix))
    program = subprocess.Popen(
        [os.path.join(BUILD, "wine-run.sh"), "explorer", "/desktop=vantroshot,800x600",
         os.path.join(BUILD, "tests", "client", "client_app_tests.exe"), "--gtest_filter=*Screenshots"],
        env=dict(os.environ, VANTRO_SHOT_HOLD="Z:" + HOLD), stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    missing = []
    try:
        for scene in SCENES:
            ready = "%s-%s.ready" % (HOLD, scene)
            deadline = time.monotonic() + 60
            while not (os.path.exists(ready) and os.path.getsize(ready) > 0):
                if time.monotonic() > deadline or program.poll() is not None:
                    break
                time.sleep(0.2)
            else:
                time.sleep(1.0)  # the desktop paints
                with open(ready) as f:
                    x, y, w, h = (int(v) for v in f.read().split())
                x, y = max(x - MARGIN, 0), max(y - MARGIN, 0)
                shot = os.path.join(ARTIFACTS, "vantro_%s.png" % scene)
                subprocess.run(["import", "-window", "root", "-crop",
                                "%dx%d+%d+%d" % (w + 2 * MARGIN, h + 2 * MARGIN, x, y), "+repage", shot],
                               check=True, timeout=30)
                print("screenshot:", shot)
                open("%s-%s.done" % (HOLD, scene), "w").close()
                continue
            missing.append(scene)
            break
    finally:
        for scene in SCENES:
            open("%s-%s.done" % (HOLD, scene), "w").close()
        output = program.communicate(timeout=120)[0].decode(errors="replace")
    if missing or "[  PASSED  ] 1 test" not in output:
        print("not shown: %s" % ", ".join(missing) if missing else "")
        print(output)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
