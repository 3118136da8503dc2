#!/usr/bin/env bash
# Runs every test: the native engine tests, then the Windows tests under Wine
# in a fresh prefix. Ends with one line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh all || { echo "0 passed, 1 failed"; exit 1; }

LOGS="$(mktemp -d /tmp/hivesweep-tests.XXXXXX)"
status=0

echo "== format"
format_failed=0
scripts/check-format.sh || { status=1; format_failed=1; }

echo "== native tests"
build/native/hivesweep-tests >"$LOGS/native.log" 2>&1 || status=1
cat "$LOGS/native.log"

echo "== scan worker lifetime (AddressSanitizer)"
build/native/hivesweep-lifetime-asan >"$LOGS/asan.log" 2>&1 || status=1
cat "$LOGS/asan.log"

echo "== fuzz targets: every committed input once"
scripts/fuzz.sh replay >"$LOGS/fuzz.log" 2>&1 || status=1
cat "$LOGS/fuzz.log"

echo "== Windows tests under Wine (windows on a private X display)"
. scripts/wine-env.sh
hs_start_display || status=1
hs_new_prefix
(cd build/win64 && "$HS_WINE" hivesweep-tests-win.exe >"$LOGS/wine.log" 2>&1) || status=1
for extra in tests/win32/*.sh; do
  [ -f "$extra" ] || continue
  echo "== $(basename "$extra")"
  bash "$extra" >>"$LOGS/wine.log" 2>&1 || status=1
done
hs_end_prefix
hs_end_display
cat "$LOGS/wine.log"

count() {  # sums GoogleTest's "[  PASSED  ] N" or "[  FAILED  ] N" lines
  grep -hE "^\[  $1  \] [0-9]+ tests?" "$LOGS"/*.log | awk '{s+=$4} END {print s+0}'
}
passed=$(count PASSED)
failed=$(count FAILED)
failed=$((failed + format_failed))
[ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
echo "$passed passed, $failed failed"
exit "$status"
