#!/usr/bin/env bash
# Prints the architecture the tests run as under Wine on this host: i686 (the
# shipped 32-bit programs themselves) where 32-bit Wine runs a 32-bit Windows
# program, x86_64 where it does not (hosts whose kernel executes 64-bit code
# only: the same sources are then tested as 64-bit programs under Wine64).
# The answer is kept in CACHE_DIR (default: build) so the check runs once.
# Usage: tools/test-arch.sh [CACHE_DIR]
set -u
cache_dir=${1:-build}
cache="$cache_dir/.test-arch"
if [ -s "$cache" ]; then
  cat "$cache"
  exit 0
fi

work=$(mktemp -d)
trap 'if [ -d "$work/prefix" ]; then WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null; fi; rm -rf "$work"' EXIT
cat > "$work/hello.c" <<'EOF'
#include <stdio.h>
int main(void) { printf("32-bit Wine works\n"); return 0; }
EOF
arch=x86_64
if i686-w64-mingw32-gcc -o "$work/hello.exe" "$work/hello.c" 2>"$work/log"; then
  # A throwaway prefix: the check must not depend on the tree being tested.
  export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if timeout 180 wine "$work/hello.exe" </dev/null 2>>"$work/log" | grep -q "32-bit Wine works"; then
    arch=i686
  fi
else
  echo "test-arch: the i686 cross compiler failed:" >&2
  cat "$work/log" >&2
fi
if [ "$arch" != i686 ]; then
  echo "test-arch: 32-bit Wine does not run a 32-bit program here; testing as x86_64" >&2
fi
mkdir -p "$cache_dir"
echo "$arch" > "$cache"
echo "$arch"
