"""Tarvik.exe under Wine, running scripts of probe programs.

The launcher and copies of probe.exe are installed in a temporary folder; the
launcher is started from another folder with relative script names. Each probe
appends "begin" (tick, current directory, raw command line) and, after a
short sleep, "end" to one record file, so the records show the order of the
starts, that each program ended before the next began, the parameters exactly
as the program received them and the folder it ran in. Names with the
double-byte characters 表 (95 5C) and ソ (83 5C) are UTF-8 on the Linux side
(Wine maps them) and Shift-JIS in the scripts.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "system"))

from peers import wine  # noqa: E402

SLEEP_MS = 300
failures = []


def check(condition, text):
    if not condition:
        failures.append(text)


def win(path):
    """The Windows name of a Linux path (Wine's drive Z: is the root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write_script(path, lines, newline="\r\n", last_newline=True):
    data = newline.join(lines) + (newline if last_newline else "")
    with open(path, "wb") as f:
        f.write(data.encode("cp932"))


def parameters(command_line):
    """What a program got as parameters: its command line after the program
    name (quoted or not) and the one blank that follows it."""
    if command_line.startswith('"'):
        rest = command_line[command_line.index('"', 1) + 1:]
    else:
        rest = command_line[len(command_line.split(" ")[0]):]
    return rest[1:] if rest.startswith(" ") else rest


def read_records(path):
    """[(directory, parameters)] of the probes in start order; checks that
    every probe ended before the next one began."""
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        lines = f.read().decode("cp932").split("\r\n")[:-1]
    starts = []
    last_end = None
    for i, line in enumerate(lines):
        fields = line.split("\t")
        expected = "begin" if i % 2 == 0 else "end"
        if fields[0] != expected:
            failures.append("record %d is %r, expected %s: programs overlapped" % (i, line, expected))
            return starts
        tick = int(fields[1])
        if expected == "begin":
            if last_end is not None and tick < last_end:
                failures.append("probe %d began at %d before the previous end %d" % (i // 2, tick, last_end))
            starts.append((fields[2], parameters(fields[3])))
        else:
            last_end = tick
    check(len(lines) % 2 == 0, "the last probe did not end")
    return starts


def run_tarvik(tarvik, args, cwd, record, sleep_ms):
    """Runs the launcher from cwd; returns its exit code, the probes' starts
    and the seconds it took. Output goes to a file: Wine's helper processes
    keep pipes open until the wineserver ends, which would cost seconds."""
    if os.path.exists(record):
        os.remove(record)
    env = dict(os.environ, TARVIK_PROBE_LOG=win(record), TARVIK_PROBE_SLEEP=str(sleep_ms))
    began = time.monotonic()
    with open(record + ".out", "wb") as out:
        result = subprocess.run([os.path.join(wine.build_dir(), "wine-run.sh"), tarvik] + args,
                                cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, timeout=120)
    return result.returncode, read_records(record), time.monotonic() - began


def compare(label, got, expected):
    for i in range(max(len(got), len(expected))):
        g = got[i] if i < len(got) else None
        e = expected[i] if i < len(expected) else None
        if g != e:
            failures.append("%s: start %d was %r, expected %r" % (label, i, g, e))


def main():
    tarvik_built = wine.program("launcher/Tarvik.exe")
    probe = wine.program("tests/launcher/probe.exe")
    with tempfile.TemporaryDirectory(prefix="tarvik_") as root:
        inst = os.path.join(root, "inst")
        blank = os.path.join(inst, "with blank")
        sub = os.path.join(inst, "sub")
        sjis = os.path.join(inst, "表示")
        caller = os.path.join(root, "caller")
        for folder in (inst, blank, sub, sjis, caller):
            os.makedirs(folder)
        tarvik = os.path.join(inst, "Tarvik.exe")
        shutil.copy(tarvik_built, tarvik)
        for name in ("probe.exe", "xy.exe", ";probe.exe", os.path.join("with blank", "probe b.exe"),
                     os.path.join("sub", "probe.exe"), os.path.join("表示", "ソフト.exe")):
            shutil.copy(probe, os.path.join(inst, name))
        record = os.path.join(root, "record.txt")
        I = win(inst)

        # A script of the same name in the caller's folder must not be used.
        write_script(os.path.join(caller, "a.txt"), ["probe.exe decoy"])
        write_script(os.path.join(inst, "a.txt"), [
            "probe.exe a1",
            "ab",                                  # 2 bytes: skipped
            "",
            "xy",                                  # would start xy.exe: skipped
            ";probe.exe comment",                  # a comment
            '";probe.exe" not-a-comment',          # the same program, quoted: runs
            "xy a3",                               # xy.exe with a parameter: runs
            "probe.exe",                           # no parameters
            "nonexistent.exe x",                   # cannot be started: passed over
            '"%s\\with blank\\probe b.exe" -q "file name.txt"' % I,
            '"with blank\\probe b.exe" rel "x"',
            "%s\\sub\\probe.exe" % I,              # no parameters: the launcher's folder
            "sub\\probe.exe  two  blanks ",
            "probe.exe a-last",
        ], last_newline=False)
        write_script(os.path.join(inst, "b.txt"), [
            "probe.exe b1",
            '表示\\ソフト.exe 表 "ソ ソ"',
            '"%s\\表示\\ソフト.exe"' % I,
            "probe.exe b2",
        ], newline="\n")
        write_script(os.path.join(sjis, "ソ.txt"), ["probe.exe sjis-script"])
        write_script(os.path.join(inst, "c.txt"), ["probe.exe c1"])

        rc, starts, took = run_tarvik(tarvik, ["a.txt", "missing.txt", "b.txt", "表示\\ソ.txt"],
                                      caller, record, SLEEP_MS)
        print("scripts a, missing, b, 表示\\ソ: rc %d, %d starts, %.1f s" % (rc, len(starts), took))
        check(rc == 0, "scripts: exit code %d, expected 0" % rc)
        compare("scripts", starts, [
            (I, "a1"),
            (I, "not-a-comment"),
            (I, "a3"),
            (I, ""),
            (I + "\\with blank", '-q "file name.txt"'),
            (I + "\\with blank", 'rel "x"'),
            (I, ""),
            (I + "\\sub", " two  blanks "),
            (I, "a-last"),
            (I, "b1"),
            (I + "\\表示", '表 "ソ ソ"'),
            (I, ""),
            (I, "b2"),
            (I, "sjis-script"),
        ])

        rc, starts, took = run_tarvik(tarvik, ["/ADMIN", "c.txt", "/admin", "c.txt"], caller, record, 0)
        print("/ADMIN c /admin c: rc %d, %d starts, %.1f s" % (rc, len(starts), took))
        check(rc == 0, "/ADMIN under an elevated token: exit code %d, expected 0" % rc)
        compare("/ADMIN", starts, [(I, "c1"), (I, "c1")])

        rc, starts, took = run_tarvik(tarvik, [], caller, record, 0)
        print("no arguments: rc %d, %d starts, %.1f s" % (rc, len(starts), took))
        check(rc == 0 and not starts, "no arguments: exit code %d, %d starts" % (rc, len(starts)))

    for text in failures:
        print("FAIL: " + text)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
