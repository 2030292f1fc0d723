"""Tarvik.exe under Wine starting copies of probe.exe, which record order, overlap, parameters and folder.
Names with 表 (95 5C) and ソ (83 5C) are UTF-8 for Linux (Wine maps them) and Shift-JIS in the scripts."""
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "system"))
from peers import run_checks, wine  # noqa: E402


def parameters(command_line):
    """The command line after the program name (quoted or not) and one blank."""
    end = command_line.index('"', 1) + 1 if command_line.startswith('"') else command_line.find(" ")
    rest = command_line[end:] if end >= 0 else ""
    return rest[1:] if rest.startswith(" ") else rest


def run_tarvik(tarvik, args, cwd, record, sleep_ms, expected):
    open(record, "wb").close()
    rc = wine.run(tarvik, *args, cwd=cwd, env={"TARVIK_PROBE_LOG": wine.windows_path(record),
                                               "TARVIK_PROBE_SLEEP": str(sleep_ms)}).returncode
    runs = [line.split("\t") for line in open(record, "rb").read().decode("cp932").split("\r\n")[:-1]]
    starts = [(folder, parameters(command_line)) for _, _, folder, command_line in runs]
    overlaps = [i for i in range(1, len(runs)) if int(runs[i][0]) < int(runs[i - 1][1])]
    if rc != 0 or starts != expected or overlaps:
        return ["%r: exit code %d, started %r, expected %r; overlapping %r" % (args, rc, starts, expected, overlaps)]
    return []


def check_scripts():
    with tempfile.TemporaryDirectory(prefix="tarvik_") as root:
        inst, caller, record = os.path.join(root, "inst"), os.path.join(root, "caller"), os.path.join(root, "rec")
        for folder in (inst + "/with blank", inst + "/sub", inst + "/表示", caller):
            os.makedirs(folder)
        tarvik = shutil.copy(wine.program("launcher/Tarvik.exe"), inst)
        for name in ("probe.exe", "xy.exe", ";probe.exe", "with blank/probe b.exe", "sub/probe.exe", "表示/ソフト.exe"):
            shutil.copy(wine.program("tests/launcher/probe.exe"), os.path.join(inst, name))
        I = wine.windows_path(inst)
        scripts = {
            "../caller/a.txt": "probe.exe decoy\r\n",  # must not be used
            "a.txt": "\r\n".join([
                "probe.exe a1",
                "ab", "",                              # 2 bytes and empty: skipped
                "xy",                                  # would start xy.exe: skipped
                ";probe.exe comment",                  # a comment
                '";probe.exe" not-a-comment',          # the same program, quoted: runs
                "nonexistent.exe x",                   # cannot be started: passed over
                '"%s\\with blank\\probe b.exe" -q "file name.txt"' % I,
                "%s\\sub\\probe.exe" % I,              # no parameters: the launcher's folder
                "sub\\probe.exe  two  blanks ",
                "probe.exe a-last"]),                  # no line end
            "b.txt": 'probe.exe b1\n表示\\ソフト.exe 表 "ソ ソ"\n"%s\\表示\\ソフト.exe"\n' % I,
            "表示/ソ.txt": "probe.exe sjis-script\r\n",
            "c.txt": "probe.exe c1\r\n"}
        for name, text in scripts.items():
            with open(os.path.join(inst, name), "wb") as f:
                f.write(text.encode("cp932"))
        failures = run_tarvik(tarvik, ["a.txt", "missing.txt", "b.txt", "表示\\ソ.txt"], caller, record, 300, [
            (I, "a1"), (I, "not-a-comment"), (I + "\\with blank", '-q "file name.txt"'), (I, ""),
            (I + "\\sub", " two  blanks "), (I, "a-last"), (I, "b1"), (I + "\\表示", '表 "ソ ソ"'), (I, ""),
            (I, "sjis-script")])
        # Wine's token is elevated: "/ADMIN" runs the scripts here; "/admin" later is a name.
        failures += run_tarvik(tarvik, ["/ADMIN", "c.txt", "/admin", "c.txt"], caller, record, 0, [(I, "c1")] * 2)
    return failures


if __name__ == "__main__":
    sys.exit(run_checks(check_scripts))
