#!/usr/bin/env python3
"""Runs the panel tests inside a Wine virtual desktop; each new window they
show (its rectangle and caption in HOLD-n.ready) is photographed with its
caption bar into test-artifacts/vantro_<scene>.png, then HOLD-n.done lets it go."""
import glob
import os
import subprocess
import sys
import time

BUILD = os.environ["SUITE_BUILD_DIR"]
ARTIFACTS = os.path.join(BUILD, "test-artifacts")
HOLD = os.path.join(ARTIFACTS, "vantro-hold")
SCENES = {"接続先サーバの登録": "server", "HTTPプロキシサーバーの登録": "input", "アプリケーション情報": "about"}


def main():
    os.makedirs(ARTIFACTS, exist_ok=True)
    for name in glob.glob(HOLD + "-*"):
        os.remove(name)
    program = subprocess.Popen(
        [os.path.join(BUILD, "wine-run.sh"), "explorer", "/desktop=vantroshot,800x600",
         os.path.join(BUILD, "tests", "client", "client_app_tests.exe"), "--gtest_filter=PanelTest.*"],
        env=dict(os.environ, VANTRO_SHOT_HOLD="Z:" + HOLD), stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    shots = []
    while program.poll() is None or os.path.exists("%s-%d.ready" % (HOLD, len(shots) + 1)):
        ready = "%s-%d.ready" % (HOLD, len(shots) + 1)
        if not os.path.exists(ready) or not os.path.getsize(ready):
            time.sleep(0.2)
            continue
        time.sleep(1.0)  # the desktop paints
        x, y, w, h, caption = open(ready, "rb").read().decode("cp932").split(" ", 4)
        path = os.path.join(ARTIFACTS, "vantro_%s.png" % SCENES.get(caption, "message" if shots else "panel"))
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (int(w) + 16, int(h) + 16,
                        max(int(x) - 8, 0), max(int(y) - 8, 0)), "+repage", path], check=True, timeout=30)
        print("screenshot:", path)
        shots.append(os.path.basename(path))
        open(ready[:-len(".ready")] + ".done", "w").close()
    output = program.communicate(timeout=300)[0].decode(errors="replace")
    for name in glob.glob(HOLD + "-*"):
        os.remove(name)
    if len(set(shots)) != 5 or "FAILED" in output:
        print("photographed: %s\n%s" % (shots, output))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
