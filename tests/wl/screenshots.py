#!/usr/bin/env python3
"""Photographs the demonstration frame inside an 800x600 Wine virtual desktop,
caption bar included, into test-artifacts/demo_desktop.png."""
import os
import subprocess
import sys
import time

BUILD = os.environ["SUITE_BUILD_DIR"]
ARTIFACTS = os.path.join(BUILD, "test-artifacts")
HOLD = os.path.join(ARTIFACTS, "demo-hold")  # the test program's .ready and .done files


def main():
    os.makedirs(ARTIFACTS, exist_ok=True)
    for name in (HOLD + ".ready", HOLD + ".done"):
        if os.path.exists(name):
            os.remove(name)
    demo = subprocess.Popen(
        [os.path.join(BUILD, "wine-run.sh"), "explorer", "/desktop=wlshot,800x600",
         os.path.join(BUILD, "tests", "wl", "wl_lifetime_tests.exe"), "--gtest_filter=*Demonstration*"],
        env=dict(os.environ, WL_DEMO_HOLD="Z:" + HOLD), stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        deadline = time.monotonic() + 60
        while not os.path.exists(HOLD + ".ready"):
            if time.monotonic() > deadline or demo.poll() is not None:
                print("the demonstration frame did not come up")
                return 1
            time.sleep(0.2)
        time.sleep(1.0)  # the desktop paints
        shot = os.path.join(ARTIFACTS, "demo_desktop.png")
        subprocess.run(["import", "-window", "root", "-crop", "800x600+0+0", "+repage", shot], check=True, timeout=30)
        print("screenshot:", shot)
    finally:
        open(HOLD + ".done", "w").close()
        output = demo.communicate(timeout=60)[0].decode(errors="replace")
    if "[  PASSED  ] 1 test" not in output:
        print(output)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
