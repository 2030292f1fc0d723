"""The release of make dist as a Windows user gets it. The portable zip
unpacks to the product folder: the shipped programs themselves (the build
tree's, byte for byte; shipped_programs_test checks those), the factory lists,
the default SORBEL.INI and the read-mes; Sorbel.exe answers from there and
Vantro.exe starts with the factory list beside it. The installer, run with
/S /STARTUP, puts the same files into Program Files, the Start-menu and
start-up entries, and the uninstall entry; Sorbel and Vantro run from there;
its silent uninstaller removes all of it and leaves Vantro's data folder.
"""

import csv
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import process, vantro_program, wine  # noqa: E402
from peers import sorbel_program as sp  # noqa: E402
from peers.sorbel import ask, request  # noqa: E402
from peers.window_driver import WindowDriver  # noqa: E402
from shipped_programs_test import run_and_close, shipped_tree, versions  # noqa: E402
from sorbel_program_test import DEFAULTS  # noqa: E402

FOLDER = "RAVO Time Suite"
PROGRAMS = {"Vantro.exe": "client", "Sorbel.exe": "server", "Tarvik.exe": "launcher",
            "ntp_server.org": "client", "http_server.org": "client"}
TEXTS = ["SORBEL.INI", "readme_ja.txt", "readme_en.txt"]
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + FOLDER
INSTALLED = r"C:\Program Files" + "\\" + FOLDER


def server_rows(path):
    """(name, host) of a server-list file's entries, or None without it."""
    text = vantro_program.read_text(path)
    return None if text is None else [tuple(r[:2]) for r in csv.reader(text.splitlines())
                                      if len(r) > 1 and not r[0].startswith("#")]


def check_files(folder, tree):
    failures = ["%s differs from the build's" % name for name, sub in PROGRAMS.items()
                if open(os.path.join(folder, name), "rb").read() != open(os.path.join(tree, sub, name), "rb").read()]
    for name in TEXTS:
        data = open(os.path.join(folder, name), "rb").read()
        if data.replace(b"\r\n", b"").count(b"\n") or not data.endswith(b"\r\n") or not data.decode("cp932"):
            failures.append("%s: not Shift-JIS text with CR LF" % name)
    if sp.read_ini(os.path.join(folder, "SORBEL.INI")) != DEFAULTS:
        failures.append("SORBEL.INI: %r, expected the defaults" % sp.read_ini(os.path.join(folder, "SORBEL.INI")))
    return failures


def sorbel_answers(folder, driver):
    """Sorbel.exe of the folder, started there, answers on port 123 as SORBEL.INI says and exits with 0."""
    log = tempfile.TemporaryFile()
    started = subprocess.Popen([os.path.join(wine.build_dir(), "wine-run.sh"), os.path.join(folder, "Sorbel.exe")],
                               stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
    try:
        window = driver.find(sp.WINDOW_CLASS, 30000)
        # Stratum 4, SORBEL.INI's: ours, not another server on the port.
        replies = (ask(123, request(), timeout=0.25) for _ in range(40 if window else 0))
        answered = any(reply and reply[1] == 4 for reply in replies)
        if window is not None:
            driver.command(window.hwnd, sp.EXIT)
        code = started.wait(30)
    except subprocess.TimeoutExpired:
        code = None
    finally:
        process.reap(started)
        log.close()
    print("%s: Sorbel.exe answered %s, exit code %s" % (folder, answered, code))
    return [] if answered and code == 0 else ["Sorbel.exe in %s: answered %s, exit code %s" % (folder, answered, code)]


def vantro_starts(folder):
    """Vantro.exe of the folder starts, closes with 0 and saves the factory list beside it."""
    data = vantro_program.data_folder()
    shutil.rmtree(data, ignore_errors=True)
    code = run_and_close(os.path.join(folder, "Vantro.exe"), "", vantro_program.WINDOW_CLASS, in_place=True)
    saved = server_rows(os.path.join(data, "ntp_server.txt"))
    print("%s: Vantro.exe exit code %s, saved list %s" % (folder, code, saved))
    if code == 0 and saved and saved == server_rows(os.path.join(folder, "ntp_server.org")):
        return []
    return ["Vantro.exe in %s: exit code %s, saved list %r" % (folder, code, saved)]


def registry_values():
    """The uninstall entry's values, or None without it."""
    done = wine.run("reg", "query", UNINSTALL_KEY, timeout=60)
    return None if done.returncode else dict(re.findall(r"^\s+(\S+)\s+REG_\w+\s+(.*?)\s*$", done.stdout, re.M))


def check_installer(setup, unpacked, driver, known):
    drive_c = os.path.join(vantro_program.prefix(), "drive_c")
    installed = os.path.join(drive_c, "Program Files", FOLDER)
    menu = os.path.join(drive_c, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs")
    menu_folder = os.path.join(menu, known["SUITE_PRODUCT_NAME"])
    links = {os.path.join(menu_folder, name + ".lnk"): name + ".exe" for name in ("Vantro", "Sorbel")}
    links[os.path.join(menu, "StartUp", "ミルタ - インターネット時刻補正.lnk")] = "Vantro.exe"
    done = wine.run(setup, "/S", "/STARTUP", timeout=300)
    failures = [] if done.returncode == 0 else ["installer /S: exit code %d" % done.returncode]
    names = sorted(os.listdir(installed)) if os.path.isdir(installed) else []
    if names != sorted(list(PROGRAMS) + TEXTS + ["uninstall.exe"]):
        return failures + ["installed files: %s" % names]
    failures += ["installed %s differs from the zip's" % name for name in list(PROGRAMS) + TEXTS
                 if open(os.path.join(installed, name), "rb").read() != open(os.path.join(unpacked, name), "rb").read()]
    for link, target in links.items():
        shown = vantro_program.read_link(link)[0] if os.path.exists(link) else None
        if shown != INSTALLED + "\\" + target:
            failures.append("%s: target %r" % (link, shown))
    values = registry_values() or {}
    expected = {"DisplayName": known["SUITE_PRODUCT_NAME"], "DisplayVersion": known["SUITE_VERSION"],
                "Publisher": known["SUITE_COMPANY_NAME"], "InstallLocation": INSTALLED,
                "UninstallString": '"%s\\uninstall.exe"' % INSTALLED,
                "QuietUninstallString": '"%s\\uninstall.exe" /S' % INSTALLED}
    print("uninstall entry: %s" % values)
    failures += ["uninstall entry %s: %r, expected %r" % (k, values.get(k), v)
                 for k, v in expected.items() if values.get(k) != v]
    failures += sorbel_answers(installed, driver) + vantro_starts(installed)

    # The uninstaller copies itself away and returns at once: wait for its work.
    kept = os.path.join(vantro_program.data_folder(), "kept.txt")
    vantro_program.write_files(os.path.dirname(kept), {"kept.txt": b"user data"})
    done = wine.run(os.path.join(installed, "uninstall.exe"), "/S", timeout=120)
    deadline = time.monotonic() + 60
    while (os.path.exists(installed) or registry_values() is not None) and time.monotonic() < deadline:
        time.sleep(0.5)
    left = [p for p in [installed, menu_folder] + list(links) if os.path.exists(p)]
    failures += ["uninstaller /S (exit code %d) left %s" % (done.returncode, p) for p in left]
    if registry_values() is not None:
        failures.append("uninstaller /S left the uninstall entry")
    if not os.path.exists(kept):
        failures.append("uninstaller removed the data folder")
    shutil.rmtree(vantro_program.data_folder(), ignore_errors=True)
    return failures


def main():
    tree, runs_i686 = shipped_tree()
    known = versions()
    dist = os.path.join(os.environ["SUITE_SOURCE_DIR"], "dist", "ravo-time-suite-" + known["SUITE_VERSION"])
    if not (os.path.exists(dist + ".zip") and os.path.exists(dist + "-setup.exe")):
        print("FAIL: %s.zip or -setup.exe missing: run make dist" % dist)
        return 1
    with tempfile.TemporaryDirectory(prefix="dist-") as unpacked:
        with zipfile.ZipFile(dist + ".zip") as z:
            names = sorted(z.namelist())
            z.extractall(unpacked)
        folder = os.path.join(unpacked, FOLDER)
        failures = [] if names == sorted([FOLDER + "/"] + [FOLDER + "/" + n for n in list(PROGRAMS) + TEXTS]) \
            else ["zip members: %s" % names]
        failures += check_files(folder, tree)
        if runs_i686 and not failures:
            with WindowDriver() as driver:
                failures += sorbel_answers(folder, driver) + vantro_starts(folder)
                failures += check_installer(dist + "-setup.exe", folder, driver, known)
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
