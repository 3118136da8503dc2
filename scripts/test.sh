#!/usr/bin/env bash
# Runs every test: the native engine tests, then the Windows tests under Wine
# in a fresh prefix. Ends with one line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
LOGS="$(mktemp -d /tmp/hivesweep-tests.XXXXXX)"
status=0
# What the tests run first is built first. The x86 programs (a build check:
# this kernel runs no 32-bit code) are built while the Windows test program
# runs, which mostly waits for Wine, and the fuzz targets while the scripted
# Windows tests run (the installer test packages the x86 build: it waits).
{ scripts/build.sh native && scripts/build.sh win64; } || { echo "0 passed, 1 failed"; exit 1; }
nice -n 10 scripts/build.sh win32 >"$LOGS/build-x86.log" 2>&1 &
x86_build=$!

late_build_failed() {  # late_build_failed WHAT LOG
  status=1
  tail -n 40 "$2"
  echo "[  FAILED  ] 1 test: $1 did not build" >>"$LOGS/late-builds.log"
}

echo "== format"
format_failed=0
scripts/check-format.sh || { status=1; format_failed=1; }

echo "== folder order of src/"
order_failed=0
python3 scripts/folder-order.py check || { status=1; order_failed=1; }

echo "== native tests"
build/native/hivesweep-tests >"$LOGS/native.log" 2>&1 || status=1
cat "$LOGS/native.log"

echo "== scan worker lifetime (AddressSanitizer)"
build/native/hivesweep-lifetime-asan >"$LOGS/asan.log" 2>&1 || status=1
cat "$LOGS/asan.log"

echo "== Windows tests under Wine (windows on a private X display)"
. scripts/wine-env.sh
hs_start_display || status=1
hs_new_prefix
(cd build/win64 && "$HS_WINE" hivesweep-tests-win.exe >"$LOGS/wine.log" 2>&1) || status=1
wait "$x86_build" || late_build_failed "the x86 programs" "$LOGS/build-x86.log"
nice -n 10 scripts/fuzz.sh build >"$LOGS/build-fuzz.log" 2>&1 &
fuzz_build=$!
for extra in tests/win32/*.sh; do
  [ -f "$extra" ] || continue
  echo "== $(basename "$extra")"
  bash "$extra" >>"$LOGS/wine.log" 2>&1 || status=1
done
hs_end_prefix
hs_end_display
cat "$LOGS/wine.log"

wait "$fuzz_build" || late_build_failed "the fuzz targets" "$LOGS/build-fuzz.log"
echo "== fuzz targets: every committed input once"
scripts/fuzz.sh replay >"$LOGS/fuzz.log" 2>&1 || status=1
cat "$LOGS/fuzz.log"

count() {  # sums GoogleTest's "[  PASSED  ] N" or "[  FAILED  ] N" lines
  grep -hE "^\[  $1  \] [0-9]+ tests?" "$LOGS"/*.log | awk '{s+=$4} END {print s+0}'
}
passed=$(count PASSED)
failed=$(count FAILED)
failed=$((failed + format_failed + order_failed))
[ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
echo "$passed passed, $failed failed"
exit "$status"
