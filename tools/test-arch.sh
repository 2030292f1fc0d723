#!/usr/bin/env bash
# Prints the architecture the tests run as under Wine on this host: i686 (the
# shipped 32-bit programs themselves) where the host can execute 32-bit code,
# x86_64 where its kernel runs 64-bit code only (then 32-bit Wine cannot
# start, and the same sources are tested as 64-bit programs under Wine64).
if [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  echo i686
else
  echo x86_64
fi
