#!/usr/bin/env bash
# make run: Tarvik.exe under Wine on the demonstration scripts of tools/demo.
# Tarvik, the probe program of the tests (it records when it started and ended,
# its folder and its command line) and the scripts are put in BUILD/demo; the
# launcher is started from BUILD with relative script names, then what ran is
# printed.  Usage: tools/run.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
BUILD="$(cd "${1:-build}" && pwd)"
for f in wine-run.sh launcher/Tarvik.exe tests/launcher/probe.exe; do
  if [ ! -e "$BUILD/$f" ]; then
    echo "run: $BUILD/$f is missing; build first (make build)" >&2
    exit 1
  fi
done

demo="$BUILD/demo"
rm -rf "$demo"
mkdir -p "$demo/with blank" "$demo/表示"
cp "$BUILD/launcher/Tarvik.exe" "$demo/"
for target in "probe.exe" "with blank/probe.exe" "表示/ソフト.exe"; do
  cp "$BUILD/tests/launcher/probe.exe" "$demo/$target"
done
# Scripts are in the system's code page; Wine shows the UTF-8 names as Shift-JIS.
for script in first.txt second.txt; do
  iconv -f UTF-8 -t CP932 "$here/demo/$script" > "$demo/$script"
done

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
echo "Running: Tarvik.exe first.txt second.txt (from $BUILD; the scripts and programs lie beside Tarvik.exe in $demo)"
rc=0
(
  cd "$BUILD"
  # Output to a file: Wine's helper processes would hold a pipe open for seconds.
  TARVIK_PROBE_LOG="$(winpath "$demo/record.txt")" TARVIK_PROBE_SLEEP=500 \
    "$BUILD/wine-run.sh" "$demo/Tarvik.exe" first.txt second.txt > "$demo/wine-output.txt" 2>&1
) || rc=$?
exec python3 "$here/demo/report.py" "$demo" "$rc"
