#!/usr/bin/env python3
"""Converts a UTF-8 text file into the programs' form: Shift-JIS (code page
932), CR LF line ends, no byte-order mark.

    sjis_text.py SOURCE TARGET
"""

import sys


def main(source, target):
    with open(source, encoding="utf-8") as f:
        lines = f.read().splitlines()
    data = "".join(line + "\r\n" for line in lines).encode("cp932")
    with open(target, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
