#!/usr/bin/env bash
# Configures and builds the suite. BUILD holds the tree the tests run in, of
# the architecture tools/test-arch.sh picks for this host; where that is not
# the shipped i686, BUILD-i686 builds the shipped 32-bit programs as well.
# Usage: tools/build.sh [BUILD_DIR] [JOBS] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
JOBS=${2:-2}
shift $(( $# > 2 ? 2 : $# ))

build_tree() {
  local dir=$1 arch=$2
  shift 2
  # A tree configured for the other architecture cannot be reused.
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "mingw-$arch.cmake" "$dir/CMakeCache.txt"; then
    rm -rf "$dir"
  fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

arch=$(bash tools/test-arch.sh "$BUILD")
build_tree "$BUILD" "$arch" "$@"
if [ "$arch" != i686 ]; then
  echo "build: this host cannot execute 32-bit code; tests run as $arch," \
       "the shipped 32-bit programs are in $BUILD-i686"
  build_tree "$BUILD-i686" i686 "$@"
fi
