#!/usr/bin/env python3
"""Start-up time and working set of Vantro.exe under Wine, beside a minimal
window program (tools/bench/minimal_window.cpp, built here on demand with the
shipped programs' flags) under the same Wine in the same run. Figures, not a
test.

For each program, ROUNDS times in alternation: the time from starting the
process (wine) to its main window being visible (WS_VISIBLE, polled through
tests/system/window_driver.exe), and the working set (VmRSS of the Wine
process) once visible and after 3,600 WM_TIMER messages of Vantro's periodic
timer (identifier 100) sent straight to the window, an hour of ticks: Vantro
counts them and makes its correction run every 900 (nCheckSpan 15) against
chronyd -x on 127.0.0.95:123. Medians are printed with their ratio.

Vantro's data folder is the all-users one of a Wine prefix of its own
(BUILD/bench-prefix), seeded so that no first-start question comes.

  python3 tools/bench/startup_memory.py [BUILD] [ROUNDS]   (default 5 rounds)
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 5
os.environ["SUITE_BUILD_DIR"] = BUILD
os.environ["SUITE_WINEPREFIX"] = os.path.join(BUILD, "bench-prefix")
sys.path.insert(0, os.path.join(ROOT, "tests", "system"))

from peers import chrony, wine  # noqa: E402
from peers import vantro_program as vp  # noqa: E402
from peers.window_driver import WM_CLOSE, WindowDriver  # noqa: E402

SERVER = "127.0.0.95"
WM_TIMER, TIMER_ID, TICKS, WS_VISIBLE = 0x113, 100, 3600, 0x10000000
SETTINGS = [("nCheckSpan", 15), ("nTimeout", 1000), ("nAllowance", 200), ("nSelectServerNo", 0),
            ("bAutoExec", 0), ("bSaveLog", 1), ("bTackTray", 0), ("bRotateServer", 1), ("bFirstExec", 0)]


def rss_kb(path):
    """VmRSS of the Wine process running the program at path."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if path.encode() not in f.read():
                    continue
            with open("/proc/%s/status" % pid) as f:
                return next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
        except (OSError, StopIteration):
            continue
    return None


def measure(driver, exe, window_class):
    """(ms to visible, kB when visible, kB after the ticks)."""
    with open(os.devnull, "wb") as null:
        started = time.monotonic()
        process = subprocess.Popen([os.path.join(BUILD, "wine-run.sh"), exe], stdin=subprocess.DEVNULL,
                                   stdout=null, stderr=null)
        hwnd = None
        while time.monotonic() - started < 60:
            hwnd = hwnd or (driver.find(window_class, 0) or (None,))[0]
            if hwnd and driver.style(hwnd) & WS_VISIBLE:
                break
        visible_ms = (time.monotonic() - started) * 1000
        time.sleep(1)  # what start-up posts is done
        at_start = rss_kb(exe)
        for _ in range(TICKS):
            driver.send(hwnd, WM_TIMER, TIMER_ID)
        after = rss_kb(exe)
        driver.post(hwnd, WM_CLOSE)
        process.wait(60)
    return visible_ms, at_start, after


def main():
    subprocess.run(["cmake", "--build", BUILD, "--target", "bench_minimal_window", "vantro"], check=True,
                   stdout=subprocess.DEVNULL)
    folder = tempfile.mkdtemp(prefix="bench-")
    programs = {"Vantro.exe": (wine.program(vp.PROGRAM), vp.WINDOW_CLASS),
                "minimal window": (wine.program("tools/bench/minimal_window.exe"), "BENCH_MINIMAL_WINDOW")}
    for name, (path, window_class) in list(programs.items()):
        copy = os.path.join(folder, os.path.basename(path))
        shutil.copyfile(path, copy)
        programs[name] = (copy, window_class)
    figures = {name: [] for name in programs}
    try:
        with chrony.ChronyServer(SERVER), WindowDriver(timeout=120) as driver:
            shutil.rmtree(vp.data_folder(), ignore_errors=True)
            os.makedirs(vp.data_folder())
            with open(os.path.join(vp.data_folder(), "ntp_config.txt"), "wb") as f:
                f.write(vp.settings_bytes(SETTINGS))
            with open(os.path.join(vp.data_folder(), "ntp_server.txt"), "wb") as f:
                f.write(vp.list_bytes([("chronyd", SERVER)]))
            measure(driver, *programs["minimal window"])  # Wine's own first start is not counted
            for _ in range(ROUNDS):
                for name, (exe, window_class) in programs.items():
                    figures[name].append(measure(driver, exe, window_class))
    finally:
        subprocess.run([os.path.join(BUILD, "wine-run.sh"), "--stop"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        shutil.rmtree(folder, ignore_errors=True)
    log = vp.read_text(os.path.join(vp.data_folder(), "ntpaccess.log")) or ""
    print("Vantro.exe made %d correction runs in the ticks of %d rounds (one every 900 ticks)"
          % (log.count("\r\n"), ROUNDS))
    medians = {name: [statistics.median(f[i] for f in runs) for i in range(3)] for name, runs in figures.items()}
    print("Wine %s, %d rounds, medians (%s)" % (subprocess.run(["wine", "--version"], capture_output=True,
                                                                text=True).stdout.strip(), ROUNDS,
                                                 os.environ.get("DISPLAY", "no display")))
    print("| Program | Start to visible window | Working set, window visible | after %d timer ticks |" % TICKS)
    print("|---|---|---|---|")
    for name, (ms, start_kb, after_kb) in medians.items():
        print("| %s | %.0f ms | %.1f MB | %.1f MB |" % (name, ms, start_kb / 1024.0, after_kb / 1024.0))
    v, m = medians["Vantro.exe"], medians["minimal window"]
    print("| ratio | %.2f× | %.2f× | %.2f× |" % (v[0] / m[0], v[1] / m[1], v[2] / m[2]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
