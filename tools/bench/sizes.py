#!/usr/bin/env python3
"""Sizes of the shipped programs next to a minimal Win32 program (a message
box from WinMain, tools/bench/minimal_program.cpp) that the build tree makes
with the same compiler flags, link options and lean runtime (its target
size_baseline, built here on demand), and the ratio of the two. Lists the
programs that the build tree holds, with their budget, and where the bytes
are: code (.text), data (.data, .rdata, .eh_frame, .idata ...), resources
(.rsrc). Needs a built tree (make build); the shipped 32-bit programs are in
BUILD, or in BUILD-i686 where the tests run as 64-bit programs.

  python3 tools/bench/sizes.py [BUILD]
"""

import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The shipped programs and their size budgets in KB.
PROGRAMS = [("launcher/Tarvik.exe", 128), ("server/Sorbel.exe", 256), ("client/Vantro.exe", 256)]
BASELINE = "tools/bench/minimal_program.exe"


def shipped_tree(build):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8", errors="replace") as f:
        return build if "mingw-i686.cmake" in f.read() else build.rstrip("/") + "-i686"


def sections(path):
    """(code, data, resources) bytes as the file holds them (raw sizes)."""
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-h", path], capture_output=True,
                          text=True, check=True).stdout
    code = data = resources = 0
    for line in dump.splitlines():
        fields = line.split()
        if len(fields) >= 7 and fields[0].isdigit() and fields[1] != ".bss":
            size = int(fields[2], 16)
            if fields[1] == ".text":
                code += size
            elif fields[1] == ".rsrc":
                resources += size
            else:
                data += size
    return code, data, resources


def kb(size):
    return "%.1f KB" % (size / 1024.0)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
    tree = shipped_tree(build)
    subprocess.run(["cmake", "--build", tree, "--target", "size_baseline"], check=True,
                   stdout=subprocess.DEVNULL)
    floor = os.path.getsize(os.path.join(tree, BASELINE))
    print("Built in %s; minimal Win32 program with the same flags: %s (%d bytes)"
          % (tree, kb(floor), floor))
    print("| Program | Size | Minimal program | Ratio | Budget | Code | Data | Resources |")
    print("|---|---|---|---|---|---|---|---|")
    for relative, budget in PROGRAMS:
        path = os.path.join(tree, relative)
        if not os.path.exists(path):
            continue
        size = os.path.getsize(path)
        code, data, resources = sections(path)
        print("| %s | %s | %s | %.1f× | %d KB (%s) | %s | %s | %s |"
              % (os.path.basename(relative), kb(size), kb(floor), size / float(floor), budget,
                 "within" if size <= budget * 1024 else "OVER", kb(code), kb(data),
                 kb(resources)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
