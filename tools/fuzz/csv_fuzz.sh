#!/usr/bin/env bash
# The long fuzzing campaign over the client's text files (CSV rows and
# documents, line reading, server-list files): builds the driver in the
# build tree and runs it under Wine for the given time, then prints what it
# ran and what it found. Not part of the tests.
# Usage: tools/fuzz/csv_fuzz.sh [BUILD_DIR] [SECONDS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${1:-build}
DURATION=${2:-600}
SEED=${3:-$(date +%s)}
[ -f "$BUILD/CMakeCache.txt" ] || bash tools/build.sh "$BUILD" 2
cmake --build "$BUILD" --target csv_fuzz -j 2 >/dev/null
echo "csv_fuzz: ${DURATION} s from seed ${SEED} (repeat a finding with the same seed)"
exec "$BUILD/wine-run.sh" "$BUILD/tools/fuzz/csv_fuzz.exe" --seed "$SEED" --seconds "$DURATION"
