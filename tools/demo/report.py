"""Prints what the demonstration run of Tarvik did (called by tools/run.sh).

Arguments: the demonstration folder and Tarvik's exit code. The probe
programs left begin/end records (tick, folder, command line) in record.txt.
"""

import os
import sys


def main():
    demo, rc = sys.argv[1], int(sys.argv[2])
    for name in ("first.txt", "second.txt"):
        print("--- %s" % name)
        with open(os.path.join(demo, name), "rb") as f:
            print(f.read().decode("cp932").rstrip("\n"))
    print("--- Tarvik.exe exit code: %d" % rc)
    path = os.path.join(demo, "record.txt")
    records = []
    if os.path.exists(path):
        with open(path, "rb") as f:
            records = [line.split("\t") for line in f.read().decode("cp932").split("\r\n") if line]
    if not records:
        print("no program recorded a start")
        return 1
    origin = int(records[0][1])
    print("--- programs in the order they ran (seconds from the first start):")
    for fields in records:
        at = (int(fields[1]) - origin) / 1000.0
        if fields[0] == "begin":
            print("%6.2f  start  %s\n              in folder %s" % (at, fields[3], fields[2]))
        else:
            print("%6.2f  end" % at)
    output = os.path.join(demo, "cmd-output.txt")
    if os.path.exists(output):
        print("--- cmd-output.txt written by cmd.exe:")
        with open(output, "rb") as f:
            print(f.read().decode("cp932").rstrip())
    return 0 if rc == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
