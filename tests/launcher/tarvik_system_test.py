"""Tarvik.exe under Wine, running scripts of probe programs.

The launcher and copies of probe.exe are installed in a temporary folder and
started from another folder with relative script names. Each probe appends
"begin" (tick, folder, raw command line) and, after a short sleep, "end" to one
record file: the records show the order of the starts, that each program ended
before the next began, its parameters exactly as received and its folder.
Names with 表 (95 5C) and ソ (83 5C) are UTF-8 for Linux (Wine maps them) and
Shift-JIS in the scripts.
"""

import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "system"))
from peers import wine  # noqa: E402


def write_script(path, lines, newline="\r\n", last_newline=True):
    with open(path, "wb") as f:
        f.write((newline.join(lines) + (newline if last_newline else "")).encode("cp932"))


def parameters(command_line):
    """The command line after the program name (quoted or not) and one blank."""
    end = command_line.index('"', 1) + 1 if command_line.startswith('"') else command_line.find(" ")
    rest = command_line[end:] if end >= 0 else ""
    return rest[1:] if rest.startswith(" ") else rest


def run_tarvik(label, tarvik, args, cwd, record, sleep_ms, expected):
    """Runs the launcher from cwd; the probes' (folder, parameters) in start order."""
    if os.path.exists(record):
        os.remove(record)
    rc = wine.run(tarvik, *args, cwd=cwd, env={"TARVIK_PROBE_LOG": wine.windows_path(record),
                                               "TARVIK_PROBE_SLEEP": str(sleep_ms)}).returncode
    failures, starts, last_end = [], [], 0
    lines = open(record, "rb").read().decode("cp932").split("\r\n")[:-1] if os.path.exists(record) else []
    for i, fields in enumerate(line.split("\t") for line in lines):
        if fields[0] != ("begin", "end")[i % 2]:
            failures.append("%s: record %d is %r: programs overlapped" % (label, i, fields))
            break
        if fields[0] == "begin":
            if int(fields[1]) < last_end:
                failures.append("%s: start %d before the previous end" % (label, len(starts)))
            starts.append((fields[2], parameters(fields[3])))
        last_end = int(fields[1])
    print("%s: exit code %d, %d programs started" % (label, rc, len(starts)))
    if rc != 0:
        failures.append("%s: exit code %d, expected 0" % (label, rc))
    if starts != expected:
        failures.append("%s: started %r, expected %r" % (label, starts, expected))
    return failures


def main():
    probe = wine.program("tests/launcher/probe.exe")
    with tempfile.TemporaryDirectory(prefix="tarvik_") as root:
        inst, caller = os.path.join(root, "inst"), os.path.join(root, "caller")
        for folder in (inst + "/with blank", inst + "/sub", inst + "/表示", caller):
            os.makedirs(folder)
        tarvik = shutil.copy(wine.program("launcher/Tarvik.exe"), inst)
        for name in ("probe.exe", "xy.exe", ";probe.exe", "with blank/probe b.exe", "sub/probe.exe", "表示/ソフト.exe"):
            shutil.copy(probe, os.path.join(inst, name))
        record = os.path.join(root, "record.txt")
        I = wine.windows_path(inst)
        write_script(os.path.join(caller, "a.txt"), ["probe.exe decoy"])  # must not be used
        write_script(os.path.join(inst, "a.txt"), [
            "probe.exe a1",
            "ab", "",                              # 2 bytes and empty: skipped
            "xy",                                  # would start xy.exe: skipped
            ";probe.exe comment",                  # a comment
            '";probe.exe" not-a-comment',          # the same program, quoted: runs
            "xy a3",
            "probe.exe",
            "nonexistent.exe x",                   # cannot be started: passed over
            '"%s\\with blank\\probe b.exe" -q "file name.txt"' % I,
            '"with blank\\probe b.exe" rel "x"',
            "%s\\sub\\probe.exe" % I,              # no parameters: the launcher's folder
            "sub\\probe.exe  two  blanks ",
            "probe.exe a-last",                    # no line end
        ], last_newline=False)
        write_script(os.path.join(inst, "b.txt"), [
            "probe.exe b1", '表示\\ソフト.exe 表 "ソ ソ"', '"%s\\表示\\ソフト.exe"' % I, "probe.exe b2"], newline="\n")
        write_script(os.path.join(inst, "表示", "ソ.txt"), ["probe.exe sjis-script"])
        write_script(os.path.join(inst, "c.txt"), ["probe.exe c1"])

        failures = run_tarvik("a missing b 表示\\ソ", tarvik, ["a.txt", "missing.txt", "b.txt", "表示\\ソ.txt"],
                              caller, record, 300, [
                                  (I, "a1"), (I, "not-a-comment"), (I, "a3"), (I, ""),
                                  (I + "\\with blank", '-q "file name.txt"'), (I + "\\with blank", 'rel "x"'),
                                  (I, ""), (I + "\\sub", " two  blanks "), (I, "a-last"),
                                  (I, "b1"), (I + "\\表示", '表 "ソ ソ"'), (I, ""), (I, "b2"), (I, "sjis-script")])
        # Wine's token is elevated: "/ADMIN" runs the scripts here; "/admin" later is a name.
        failures += run_tarvik("/ADMIN c /admin c", tarvik, ["/ADMIN", "c.txt", "/admin", "c.txt"], caller, record,
                               0, [(I, "c1"), (I, "c1")])
        failures += run_tarvik("no arguments", tarvik, [], caller, record, 0, [])
    for text in failures:
        print("FAIL: " + text)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
