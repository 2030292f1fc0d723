"""The programs we ship, as a Windows user gets them: 32-bit executables
(PE32, Intel 80386) that import only DLLs every Windows has, that start, and
whose properties page shows their version block: the program's own version
and the suite's from cmake/version.cmake, Japanese names (code page 932).

Hosts whose kernel cannot execute 32-bit code test a 64-bit build of the
sources; the shipped 32-bit programs are then in BUILD-i686 and are checked
here by their headers only.

Usage: shipped_programs_test.py RELATIVE_PATH[=ARGUMENTS][@WINDOW_CLASS] ...

A program given with the class of its main window (one that runs until told
to end) is started from a copy in an empty folder, its window is waited for
and sent WM_CLOSE, the questions it may ask meanwhile are answered No (or
OK), and then it must end with 0.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import process, wine  # noqa: E402
from peers.window_driver import IDNO, IDOK, WM_CLOSE, WindowDriver  # noqa: E402

# DLLs that Windows itself provides (XP and later).
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "oleaut32.dll", "shell32.dll", "shfolder.dll", "shlwapi.dll", "user32.dll",
               "version.dll", "wininet.dll", "winmm.dll", "ws2_32.dll", "wsock32.dll"}

# What each program's properties page calls it, and the name of its version
# in cmake/version.cmake.
PROGRAMS = {
    "Tarvik.exe": ("TARVIK", "ミルタ スクリプト起動ランチャー"),
    "Sorbel.exe": ("SORBEL", "ミルタサーバー 時刻配信NTPサーバ"),
    "Vantro.exe": ("VANTRO", "ミルタ インターネット時刻補正"),
}


def versions():
    """NAME -> value of the set() lines of cmake/version.cmake."""
    path = os.path.join(os.environ["SUITE_SOURCE_DIR"], "cmake", "version.cmake")
    with open(path, encoding="utf-8") as f:
        return dict(re.findall(r'^set\((SUITE_\w+|\w+_VERSION) "?([^")]*)"?\)', f.read(), re.M))


def version_block(path):
    """Failures of the program's version block, read back under Wine."""
    file_name = os.path.basename(path)
    if file_name not in PROGRAMS:
        return ["%s: no expected version block" % file_name]
    name, description = PROGRAMS[file_name]
    known = versions()
    own, suite = known[name + "_VERSION"], known["SUITE_VERSION"]
    expected = {
        "FILEVERSION": "%d,%d,0,0" % tuple(int(n) for n in own.split(".")),
        "PRODUCTVERSION": "%d,%d,0,0" % tuple(int(n) for n in suite.split(".")),
        "Translation": "0411 932", "CompanyName": known["SUITE_COMPANY_NAME"],
        "FileDescription": description, "FileVersion": own, "InternalName": file_name[:-4],
        "OriginalFilename": file_name, "ProductName": known["SUITE_PRODUCT_NAME"],
        "ProductVersion": suite,
    }
    done = wine.run(wine.program("tests/system/version_probe.exe"), path, timeout=60)
    shown = wine.key_values(done.stdout)
    print("%s: %s" % (file_name, shown))
    return ["%s: %s is %r, expected %r" % (file_name, key, shown.get(key), value)
            for key, value in expected.items() if shown.get(key) != value]


def run_and_close(path, arguments, window_class, in_place=False, while_open=None):
    """Starts a copy of the program in an empty folder (or the program
    itself, in_place), calls while_open() once its window is there and closes
    the window; the exit code (None when it did not end within a minute)."""
    folder = tempfile.mkdtemp(prefix="shipped-")
    exe = path if in_place else os.path.join(folder, os.path.basename(path))
    if not in_place:
        shutil.copyfile(path, exe)
    started = None
    try:
        with WindowDriver() as driver, open(os.path.join(folder, "output.txt"), "wb") as out:
            started = subprocess.Popen([os.path.join(wine.build_dir(), "wine-run.sh"), exe] + arguments.split(),
                                       stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
            window = driver.find(window_class, 30000)
            if window is not None:
                if while_open:
                    while_open()
                driver.post(window.hwnd, WM_CLOSE)
            deadline = time.monotonic() + 60
            while window is not None and started.poll() is None and time.monotonic() < deadline:
                for box in driver.boxes(window.hwnd, 1, 1000):
                    driver.answer(box, IDNO if IDNO in box.buttons else IDOK)
            try:
                return started.wait(max(deadline - time.monotonic(), 1))
            except subprocess.TimeoutExpired:
                return None
    finally:
        process.reap(started)
        shutil.rmtree(folder, ignore_errors=True)


def check(tree, runs_i686, relative, arguments, window_class):
    path = os.path.join(tree, relative)
    if not os.path.exists(path):
        return ["%s has not been built" % path]
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", path], capture_output=True, text=True, timeout=60)
    lines = dump.stdout.splitlines()
    fmt = "".join(line.split("file format", 1)[1].strip() for line in lines if "file format" in line)
    dlls = [line.split(":", 1)[1].strip() for line in lines if line.strip().startswith("DLL Name:")]
    print("%s: %s, imports %s" % (relative, fmt, ", ".join(dlls)))
    failures = []
    if fmt != "pei-i386":
        failures.append("%s: file format %r, expected pei-i386 (PE32, Intel 80386)" % (relative, fmt))
    if not dlls or any(d.lower() not in SYSTEM_DLLS for d in dlls):
        failures.append("%s: imports %s; only system DLLs are allowed" % (relative, dlls))
    failures += version_block(path)
    if runs_i686 and window_class:
        code = run_and_close(path, arguments, window_class)
        print("%s %s: started, closed, exit code %s" % (relative, arguments, code))
        if code != 0:
            failures.append("%s %s: exit code %s after WM_CLOSE to %s" % (relative, arguments, code, window_class))
    elif runs_i686:
        done = wine.run(path, *arguments.split(), timeout=60)
        print("%s %s: started, exit code %d" % (relative, arguments, done.returncode))
        if done.returncode != 0:
            failures.append("%s %s: exit code %d\n%s" % (relative, arguments, done.returncode, done.stderr))
    return failures


def shipped_tree():
    """(the build tree of the 32-bit programs, whether they run here)."""
    build = wine.build_dir()
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8", errors="replace") as f:
        runs_i686 = "mingw-i686.cmake" in f.read()
    return (build if runs_i686 else build.rstrip("/") + "-i686"), runs_i686


def main():
    tree, runs_i686 = shipped_tree()
    failures = []
    for spec in sys.argv[1:]:
        spec, _, window_class = spec.partition("@")
        relative, _, arguments = spec.partition("=")
        failures += check(tree, runs_i686, relative, arguments, window_class)
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
