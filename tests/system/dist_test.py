"""make dist's release as a Windows user gets it: the zip's files and programs as unpacked; the silent installer's
files, links and uninstall entry, its programs, and its uninstaller that leaves only Vantro's data folder."""

import csv
import os
import re
import shutil
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peers import vantro_program as vp, wine  # noqa: E402
from peers.sorbel import ask, request  # noqa: E402
from peers.sorbel_program import WINDOW_CLASS as SORBEL_CLASS, read_ini  # noqa: E402
from shipped_programs_test import run_and_close, shipped_tree, versions  # noqa: E402
from sorbel_program_test import DEFAULTS  # noqa: E402

FOLDER = "RAVO Time Suite"
PROGRAMS = {"Vantro.exe": "client", "Sorbel.exe": "server", "Tarvik.exe": "launcher",
            "ntp_server.org": "client", "http_server.org": "client"}
FILES = list(PROGRAMS) + ["SORBEL.INI", "readme_ja.txt", "readme_en.txt"]
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + FOLDER
INSTALLED = "C:\\Program Files\\" + FOLDER


def read(*path):
    with open(os.path.join(*path), "rb") as f:
        return f.read()


def server_rows(path):
    """(name, host) of a server-list file's entries, or None without it."""
    text = vp.read_text(path)
    return text and [tuple(r[:2]) for r in csv.reader(text.splitlines()) if len(r) > 1 and r[0][:1] != "#"]


def check_files(folder, tree):
    failures = ["%s differs from the build's" % n for n, sub in PROGRAMS.items()
                if read(folder, n) != read(tree, sub, n)]
    failures += ["%s: not Shift-JIS with CR LF" % n for n in FILES[5:] if b"\n" in read(folder, n).replace(b"\r\n", b"")
                 or not read(folder, n).endswith(b"\r\n") or not read(folder, n).decode("cp932")]
    return failures + ([] if read_ini(os.path.join(folder, "SORBEL.INI")) == DEFAULTS else ["SORBEL.INI: no defaults"])


def programs_run(folder):
    """Sorbel.exe answers with stratum 4 (ours), Vantro.exe saves the factory list beside it; both end with 0."""
    answered = []
    replies = lambda: ((ask(123, request(), timeout=0.25) or b"--")[1] for _ in range(40))  # noqa: E731
    sorbel = run_and_close(os.path.join(folder, "Sorbel.exe"), "", SORBEL_CLASS, True,
                           lambda: answered.append(4 in replies()))
    shutil.rmtree(vp.data_folder(), ignore_errors=True)
    vantro = run_and_close(os.path.join(folder, "Vantro.exe"), "", vp.WINDOW_CLASS, True)
    saved = server_rows(os.path.join(vp.data_folder(), "ntp_server.txt"))
    outcome = "%s: Sorbel answered %s, exit code %s; Vantro exit code %s, saved %s" % (
        folder, answered, sorbel, vantro, saved)
    print(outcome)
    factory = server_rows(os.path.join(folder, "ntp_server.org"))
    return [] if answered == [True] and sorbel == vantro == 0 and saved and saved == factory else [outcome]


def registry_values():
    """The uninstall entry's values, or None without it."""
    done = wine.run("reg", "query", UNINSTALL_KEY, timeout=60)
    return None if done.returncode else dict(re.findall(r"^\s+(\S+)\s+REG_\w+\s+(.*?)\s*$", done.stdout, re.M))


def check_installer(setup, unpacked, known):
    drive_c = os.path.join(vp.prefix(), "drive_c")
    installed = os.path.join(drive_c, "Program Files", FOLDER)
    menu = os.path.join(drive_c, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs")
    menu_folder = os.path.join(menu, known["SUITE_PRODUCT_NAME"])
    links = {os.path.join(menu_folder, n + ".lnk"): n + ".exe" for n in ("Vantro", "Sorbel")}
    links[os.path.join(menu, "StartUp", "ミルタ - インターネット時刻補正.lnk")] = "Vantro.exe"
    code = wine.run(setup, "/S", "/STARTUP", timeout=300).returncode
    names = sorted(os.listdir(installed)) if os.path.isdir(installed) else []
    if code or names != sorted(FILES + ["uninstall.exe"]):
        return ["installer /S: exit code %d, installed %s" % (code, names)]
    failures = ["installed %s differs from the zip's" % n for n in FILES if read(installed, n) != read(unpacked, n)]
    failures += ["%s: target %r" % (link, vp.read_link(link)[0] if os.path.exists(link) else None)
                 for link, target in links.items()
                 if not os.path.exists(link) or vp.read_link(link)[0] != INSTALLED + "\\" + target]
    values = registry_values() or {}
    print("uninstall entry: %s" % values)
    expected = {"DisplayName": known["SUITE_PRODUCT_NAME"], "DisplayVersion": known["SUITE_VERSION"],
                "Publisher": known["SUITE_COMPANY_NAME"], "InstallLocation": INSTALLED,
                "UninstallString": '"%s\\uninstall.exe"' % INSTALLED,
                "QuietUninstallString": '"%s\\uninstall.exe" /S' % INSTALLED}
    failures += ["uninstall entry %s: %r" % (k, values.get(k)) for k, v in expected.items() if values.get(k) != v]
    failures += programs_run(installed)

    # The uninstaller copies itself away and returns at once: wait for its work.
    vp.write_files(vp.data_folder(), {"kept.txt": b"user data"})
    wine.run(os.path.join(installed, "uninstall.exe"), "/S", timeout=120)
    deadline = time.monotonic() + 60
    while (os.path.exists(installed) or registry_values() is not None) and time.monotonic() < deadline:
        time.sleep(0.5)
    left = [p for p in [installed, menu_folder] + list(links) if os.path.exists(p)]
    left += ["the uninstall entry"] if registry_values() is not None else []
    left += [] if os.path.exists(os.path.join(vp.data_folder(), "kept.txt")) else ["no data folder (removed)"]
    shutil.rmtree(vp.data_folder(), ignore_errors=True)
    return failures + ["uninstaller /S left %s" % p for p in left]


def main():
    tree, runs_i686 = shipped_tree()
    known = versions()
    dist = os.path.join(os.environ["SUITE_SOURCE_DIR"], "dist", "ravo-time-suite-" + known["SUITE_VERSION"])
    if not (os.path.exists(dist + ".zip") and os.path.exists(dist + "-setup.exe")):
        print("FAIL: %s.zip or -setup.exe missing: run make dist" % dist)
        return 1
    with tempfile.TemporaryDirectory(prefix="dist-") as unpacked, zipfile.ZipFile(dist + ".zip") as z:
        z.extractall(unpacked)
        folder = os.path.join(unpacked, FOLDER)
        expected = sorted([FOLDER + "/"] + [FOLDER + "/" + n for n in FILES])
        failures = [] if sorted(z.namelist()) == expected else ["zip members: %s" % z.namelist()]
        failures = failures or check_files(folder, tree)
        if runs_i686 and not failures:
            failures = programs_run(folder) + check_installer(dist + "-setup.exe", folder, known)
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
