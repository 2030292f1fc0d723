#!/usr/bin/env python3
"""Runs PROGRAM's tests matching FILTER inside a Wine virtual desktop; each window they hold (HoldForPhoto: rectangle
and caption in HOLD-n.ready) is photographed with its caption bar into test-artifacts/ (the first as FIRST, dialogs
by SCENES, other boxes as vantro_message), then HOLD-n.done lets it go. COUNT different pictures must come."""
import glob
import os
import subprocess
import sys
import time

BUILD = os.environ["SUITE_BUILD_DIR"]
ARTIFACTS = os.path.join(BUILD, "test-artifacts")
SCENES = {"接続先サーバの登録": "vantro_server", "HTTPプロキシサーバーの登録": "vantro_input", "アプリケーション情報": "vantro_about"}


def main(program, test_filter, first, count):
    hold = os.path.join(ARTIFACTS, first + "-hold")  # hold files and desktop of this run alone
    os.makedirs(ARTIFACTS, exist_ok=True)
    for name in glob.glob(hold + "-*"):
        os.remove(name)
    tests = subprocess.Popen([os.path.join(BUILD, "wine-run.sh"), "explorer", "/desktop=%s,800x600" % first,
                              os.path.join(BUILD, "tests", program), "--gtest_filter=" + test_filter],
                             env=dict(os.environ, SHOT_HOLD="Z:" + hold), stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT)
    shots = []
    while tests.poll() is None or os.path.exists("%s-%d.ready" % (hold, len(shots) + 1)):
        ready = "%s-%d.ready" % (hold, len(shots) + 1)
        if not os.path.exists(ready) or not os.path.getsize(ready):
            time.sleep(0.2)
            continue
        time.sleep(1.0)  # the desktop paints
        x, y, w, h, caption = open(ready, "rb").read().decode("cp932").split(" ", 4)
        path = os.path.join(ARTIFACTS, "%s.png" % SCENES.get(caption, "vantro_message" if shots else first))
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (int(w) + 16, int(h) + 16,
                        max(int(x) - 8, 0), max(int(y) - 8, 0)), "+repage", path], check=True, timeout=30)
        print("screenshot:", path)
        shots.append(os.path.basename(path))
        open(ready[:-len(".ready")] + ".done", "w").close()
    output = tests.communicate(timeout=300)[0].decode(errors="replace")
    for name in glob.glob(hold + "-*"):
        os.remove(name)
    if len(set(shots)) != int(count) or "FAILED" in output or "[  PASSED  ]" not in output:
        print("photographed: %s\n%s" % (shots, output))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
