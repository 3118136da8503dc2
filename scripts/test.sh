#!/usr/bin/env bash
# Runs every test: the native engine tests, then the Windows tests under Wine
# in a fresh prefix. Ends with one line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
LOGS="$(mktemp -d /tmp/hivesweep-tests.XXXXXX)"
status=0
# Minutes and seconds since the run began, so a slow step shows in the log.
elapsed() { printf '%d:%02d' $((SECONDS / 60)) $((SECONDS % 60)); }
# What the tests run first is built first, and whatever waits on something
# else runs beside it: the source checks beside the native build, the native
# tests and the Wine prefix's first start beside the Windows build. The x86
# programs (a build check: this kernel runs no 32-bit code) and the fuzz
# targets build at low priority while the Windows tests mostly wait for Wine
# (the installer test packages the x86 build: the scripted tests wait for it).
run_logged() {  # run_logged LOG COMMAND...: the command's output to LOG, its failure to LOG.failed
  "${@:2}" >"$LOGS/$1" 2>&1 || touch "$LOGS/$1.failed"
}
source_checks() {
  run_logged format.txt scripts/check-format.sh
  run_logged folder-order.txt python3 scripts/folder-order.py check
}
source_checks &
checks=$!
scripts/build.sh native || { wait; echo "0 passed, 1 failed"; exit 1; }
echo "== native build done at $(elapsed)"

native_tests() {
  run_logged native.log build/native/hivesweep-tests
  run_logged asan.log build/native/hivesweep-lifetime-asan
}
native_tests &
native_run=$!
. scripts/wine-env.sh
hs_start_display || status=1
hs_prefix_folder
hs_boot_prefix &
prefix_boot=$!
scripts/build.sh win64 || { wait; hs_end_prefix; hs_end_display; echo "0 passed, 1 failed"; exit 1; }
echo "== Windows build done at $(elapsed)"
nice -n 10 scripts/build.sh win32 >"$LOGS/build-x86.log" 2>&1 &
x86_build=$!
nice -n 10 scripts/fuzz.sh build >"$LOGS/build-fuzz.log" 2>&1 &
fuzz_build=$!

late_build_failed() {  # late_build_failed WHAT LOG
  status=1
  tail -n 40 "$2"
  echo "[  FAILED  ] 1 test: $1 did not build" >>"$LOGS/late-builds.log"
}

# The output of a step that ran beside the builds; a failed step fails the run.
show() {  # show LOG
  cat "$LOGS/$1"
  [ ! -e "$LOGS/$1.failed" ] || status=1
}

wait "$checks"
echo "== format"
show format.txt
echo "== folder order of src/"
show folder-order.txt
check_failures=$(ls "$LOGS"/format.txt.failed "$LOGS"/folder-order.txt.failed 2>/dev/null | wc -l)

wait "$native_run"
echo "== native tests"
show native.log
echo "== scan worker lifetime (AddressSanitizer)"
show asan.log

echo "== the offline program's Debian package"
bash tests/package/deb_install.sh >"$LOGS/deb.log" 2>&1 || status=1
cat "$LOGS/deb.log"

echo "== Windows tests under Wine (windows on a private X display) at $(elapsed)"
wait "$prefix_boot"
(cd build/win64 && "$HS_WINE" hivesweep-tests-win.exe >"$LOGS/wine.log" 2>&1) || status=1
echo "== Windows test program done at $(elapsed)"
wait "$x86_build" || late_build_failed "the x86 programs" "$LOGS/build-x86.log"
for extra in tests/win32/*.sh; do
  [ -f "$extra" ] || continue
  echo "== $(basename "$extra") at $(elapsed)"
  bash "$extra" >>"$LOGS/wine.log" 2>&1 || status=1
done
hs_end_prefix
hs_end_display
cat "$LOGS/wine.log"

wait "$fuzz_build" || late_build_failed "the fuzz targets" "$LOGS/build-fuzz.log"
echo "== fuzz targets: every committed input once at $(elapsed)"
scripts/fuzz.sh replay >"$LOGS/fuzz.log" 2>&1 || status=1
cat "$LOGS/fuzz.log"

count() {  # sums GoogleTest's "[  PASSED  ] N" or "[  FAILED  ] N" lines
  grep -hE "^\[  $1  \] [0-9]+ tests?" "$LOGS"/*.log | awk '{s+=$4} END {print s+0}'
}
passed=$(count PASSED)
failed=$(count FAILED)
failed=$((failed + check_failures))
[ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
echo "== finished at $(elapsed)"
echo "$passed passed, $failed failed"
exit "$status"
