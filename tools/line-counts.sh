#!/usr/bin/env bash
# Non-blank lines of the programs' code and of the tests (unit, system and
# support), and their ratio: the suite aims at a quarter to a third.
cd "$(dirname "$0")/.."
count() { git ls-files "$@" | grep -E '\.(c|cpp|h|py|rc)$' | xargs -r cat | grep -cv '^\s*$'; }
code=$(count core base wl client server launcher)
tests=$(count tests)
echo "code $code lines, tests $tests lines, tests/code $(awk "BEGIN{printf \"%.2f\", $tests/$code}")"
