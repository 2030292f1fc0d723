#!/usr/bin/env python3
"""make run: Vantro.exe doing its main job as a user sees it, under Wine.

A local NTP server runs with a clock 5 s ahead (chronyd -x under faketime on
127.0.0.90:123; -x keeps chronyd off the host clock), and a second address,
127.0.0.91:123, never answers. Vantro's data folder (the all-users folder of
a Wine prefix of its own, BUILD/run-prefix) is seeded with settings for
periodic correction against the list [silent server, local server], start at
launch and the log file on. Vantro.exe then starts for real in a Wine virtual
desktop (so its window has a caption bar) on $DISPLAY, or on a private Xvfb
when there is no display. Its periodic correction runs at once: the silent
server fails after the answer timeout, the local server answers and Vantro
steps the clock by about +5 s. Wine refuses to change the host clock and
logs the attempt ("err:sync:NtSetSystemTime not allowed: difference N ms"),
so nothing changes on this machine. After a few seconds the window is
photographed and closed, and the report shows the log lines of the runs, the
step Vantro asked for, the settings file it wrote at exit and the
screenshot's path.

  python3 tools/run_vantro.py [BUILD]     (VANTRO_RUN_SECONDS: time shown, 10)
"""

import os
import socket
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
os.environ["SUITE_BUILD_DIR"] = BUILD
os.environ["SUITE_WINEPREFIX"] = os.path.join(BUILD, "run-prefix")
sys.path.insert(0, os.path.join(ROOT, "tests", "system"))

from peers import PeerUnavailable, chrony  # noqa: E402
from peers import vantro_program as vp  # noqa: E402
from peers.window_driver import WindowDriver  # noqa: E402

SERVER, SILENT, SKEW_S = "127.0.0.90", "127.0.0.91", 5
OUT = os.path.join(BUILD, "run")
SETTINGS = [("nCheckSpan", 15), ("nTimeout", 1000), ("nAllowance", 200), ("nSelectServerNo", 0),
            ("bAutoExec", 1), ("bSaveLog", 1), ("bTackTray", 1), ("bRotateServer", 1), ("bFirstExec", 0),
            ("bUseHttpProxy", 0), ("sProtocol", "ntp"), ("sHttpProxy", ""), ("bBroadcastRecv", 0),
            ("nBroadcastRecvPortNo", 123)]
SERVERS = [("応答しないサーバ", SILENT), ("ローカル時刻サーバ（+5秒）", SERVER)]


def start_xvfb():
    """A private X server when there is no display; its process or None."""
    if os.environ.get("DISPLAY"):
        return None
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24"],
                            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        os.environ["DISPLAY"] = ":" + f.readline().strip()
    return xvfb


def run(seconds):
    silent = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    silent.bind((SILENT, 123))
    data = {"ntp_config.txt": vp.settings_bytes(SETTINGS), "ntp_server.txt": vp.list_bytes(SERVERS)}
    with silent, chrony.ChronyServer(SERVER, skew=SKEW_S), WindowDriver(timeout=120) as driver:
        print("Local NTP server: chronyd -x under faketime %+d s on %s:123; %s:123 stays silent"
              % (SKEW_S, SERVER, SILENT))
        with vp.VantroProgram(driver, data, desktop="vantro") as program:
            print("Vantro.exe runs on display %s (Wine virtual desktop \"vantro\")" % os.environ["DISPLAY"])
            log = os.path.join(vp.data_folder(), "ntpaccess.log")
            deadline = time.monotonic() + 60
            while (vp.read_text(log) or "").count("\r\n") < 2 and time.monotonic() < deadline:
                time.sleep(0.5)
            time.sleep(seconds)
            shot = program.screenshot(os.path.join(OUT, "vantro_main.png"))
            lines = vp.read_text(log) or ""
            stderr = program.output_text()
            code = program.close()
            settings = vp.read_text(os.path.join(vp.data_folder(), "ntp_config.txt")) or "(not written)\n"
    steps = [line for line in stderr.splitlines() if "NtSetSystemTime" in line]
    print("\nLog lines of the runs (ntpaccess.log in C:\\ProgramData\\RAVO\\Brassel\\):")
    print("".join("  " + line + "\n" for line in lines.splitlines()) or "  (none)")
    print("Clock step Vantro asked for (Wine refused it; the host clock is unchanged):")
    print("".join("  " + line.strip() + "\n" for line in steps) or "  (none)")
    print("Settings file Vantro wrote at exit (ntp_config.txt)%s:" % ("" if code == 0 else ", window did not close"))
    print("".join("  " + line + "\n" for line in settings.splitlines()))
    print("Screenshot of its window: %s" % shot)
    return 0 if lines.count("\n") >= 2 and steps and code == 0 else 1


def main():
    if not os.path.exists(os.path.join(BUILD, vp.PROGRAM)):
        print("run: %s is missing; build first (make build)" % os.path.join(BUILD, vp.PROGRAM), file=sys.stderr)
        return 1
    if not os.path.exists(os.path.join(vp.prefix(), "system.reg")):
        print("Preparing the Wine prefix %s (once, about half a minute) ..." % vp.prefix())
    xvfb = start_xvfb()
    try:
        return run(float(os.environ.get("VANTRO_RUN_SECONDS", "10")))
    except (PeerUnavailable, OSError) as e:
        print("run: %s (make setup installs chrony and faketime; port 123 needs root)" % e, file=sys.stderr)
        return 1
    finally:
        subprocess.run([os.path.join(BUILD, "wine-run.sh"), "--stop"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        if xvfb is not None:
            xvfb.terminate()
            xvfb.wait(10)


if __name__ == "__main__":
    sys.exit(main())
