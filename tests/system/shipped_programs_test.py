"""The shipped programs as a Windows user gets them: PE32 for Intel 80386, system DLLs only, a version block (read as
the properties page does) with the versions of cmake/version.cmake and Japanese names, and they start. Where 32-bit
code cannot run, the programs of BUILD-i686 are checked by their headers only.
Arguments: RELATIVE_PATH[=ARGUMENTS][@WINDOW_CLASS]; with a window class a copy is started, sent WM_CLOSE, its
questions answered No (or OK), and must end with 0."""

import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import wine  # noqa: E402
from peers.window_driver import IDNO, IDOK, WM_CLOSE, Program, WindowDriver  # noqa: E402

SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "oleaut32.dll", "shell32.dll", "shfolder.dll", "shlwapi.dll", "user32.dll",
               "version.dll", "wininet.dll", "winmm.dll", "ws2_32.dll", "wsock32.dll"}
# Each program's name in cmake/version.cmake and its description.
PROGRAMS = {"Tarvik.exe": ("TARVIK", "ミルタ スクリプト起動ランチャー"),
            "Sorbel.exe": ("SORBEL", "ミルタサーバー 時刻配信NTPサーバ"),
            "Vantro.exe": ("VANTRO", "ミルタ インターネット時刻補正")}


def versions():
    """NAME -> value of the set() lines of cmake/version.cmake."""
    with open(os.path.join(os.environ["SUITE_SOURCE_DIR"], "cmake", "version.cmake"), encoding="utf-8") as f:
        return dict(re.findall(r'^set\((SUITE_\w+|\w+_VERSION) "?([^")]*)"?\)', f.read(), re.M))


def version_block(path):
    file_name = os.path.basename(path)
    name, description = PROGRAMS[file_name]
    known = versions()
    own, suite = known[name + "_VERSION"], known["SUITE_VERSION"]
    numbers = lambda version: ",".join(str(int(n)) for n in version.split(".")) + ",0,0"  # noqa: E731
    expected = {"FILEVERSION": numbers(own), "PRODUCTVERSION": numbers(suite),
                "Translation": "0411 932", "CompanyName": known["SUITE_COMPANY_NAME"], "FileDescription": description,
                "FileVersion": own, "InternalName": file_name[:-4], "OriginalFilename": file_name,
                "ProductName": known["SUITE_PRODUCT_NAME"], "ProductVersion": suite}
    shown = wine.key_values(wine.run(wine.program("tests/system/version_probe.exe"), path, timeout=60).stdout)
    print("%s: %s" % (file_name, shown))
    return ["%s: %s is %r, expected %r" % (file_name, key, shown.get(key), value)
            for key, value in expected.items() if shown.get(key) != value]


def run_and_close(path, arguments, window_class, in_place=False, while_open=None):
    """The exit code of a copy (in_place: of the program itself) started, given while_open() once its window is
    there, sent WM_CLOSE and its questions answered No (or OK); None when it did not end."""
    with WindowDriver() as driver, Program(driver, path, window_class, arguments.split(), in_place=in_place) as program:
        program.closed = True
        if while_open:
            while_open()
        driver.post(program.window.hwnd, WM_CLOSE)
        deadline = time.monotonic() + 60
        while program.process.poll() is None and time.monotonic() < deadline:
            for box in driver.boxes(program.window.hwnd, 1, 1000):
                driver.answer(box, IDNO if IDNO in box.buttons else IDOK)
        return program.wait(max(deadline - time.monotonic(), 1))


def check(tree, runs_i686, relative, arguments, window_class):
    path = os.path.join(tree, relative)
    if not os.path.exists(path):
        return ["%s has not been built" % path]
    lines = subprocess.run(["i686-w64-mingw32-objdump", "-p", path], capture_output=True, text=True,
                           timeout=60).stdout.splitlines()
    fmt = "".join(line.split("file format", 1)[1].strip() for line in lines if "file format" in line)
    dlls = [line.split(":", 1)[1].strip() for line in lines if line.strip().startswith("DLL Name:")]
    print("%s: %s, imports %s" % (relative, fmt, ", ".join(dlls)))
    failures = [] if fmt == "pei-i386" else ["%s: file format %r, expected pei-i386" % (relative, fmt)]
    if not dlls or any(d.lower() not in SYSTEM_DLLS for d in dlls):
        failures.append("%s: imports %s; only system DLLs are allowed" % (relative, dlls))
    failures += version_block(path)
    if runs_i686:
        code = run_and_close(path, arguments, window_class) if window_class else \
            wine.run(path, *arguments.split(), timeout=60).returncode
        print("%s %s: started, ended with %s" % (relative, arguments, code))
        if code != 0:
            failures.append("%s %s: exit code %s" % (relative, arguments, code))
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
    for argument in sys.argv[1:]:  # PROGRAM[=ARGUMENTS][@WINDOW_CLASS]
        program, _, window_class = argument.partition("@")
        relative, _, arguments = program.partition("=")
        failures += check(tree, runs_i686, relative, arguments, window_class)
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
