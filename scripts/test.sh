#!/usr/bin/env bash
# Runs every test: the source checks, the native engine tests, the Windows
# tests under Wine, the offline program's package and the fuzz targets' inputs.
# Ends with one line "N passed, N failed".
#
# The Windows tests mostly wait for Wine, so they are the run's long pole:
# the x64 build comes first, then three Wine lanes, each in a prefix of its
# own, run side by side while the rest builds at low priority (the x86
# programs, a build check: this kernel runs no 32-bit code, then native, then
# the fuzz targets). A lane that needs a later build waits for its step.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
scripts/setup.sh
LOGS="$(mktemp -d /tmp/hivesweep-tests.XXXXXX)"
status=0
# Minutes and seconds since the run began, so a slow step shows in the log.
elapsed() { printf '%d:%02d' $((SECONDS / 60)) $((SECONDS % 60)); }

run_logged() {  # run_logged LOG COMMAND...: the command's output to LOG, its failure to LOG.failed
  "${@:2}" >"$LOGS/$1" 2>&1 || touch "$LOGS/$1.failed"
}
step_done() {  # step_done NAME: tells the lanes waiting for NAME that it ended
  echo "== $1 done at $(elapsed)" >>"$LOGS/steps.log"
  touch "$LOGS/$1.done"
}
wait_for_step() {  # wait_for_step NAME: false when NAME failed
  until [ -e "$LOGS/$1.done" ]; do sleep 1; done
  [ ! -e "$LOGS/$1.failed" ]
}

source_checks() {
  renice -n 10 -p "$BASHPID" >/dev/null
  run_logged format.txt scripts/check-format.sh
  run_logged folder-order.txt python3 scripts/folder-order.py check
}
source_checks &
first_jobs=($!)

# Each lane has its display too: keys a test types go to its own windows.
. scripts/wine-env.sh
PREFIXES=()
DISPLAYS=()
XVFB_PIDS=()
for _ in program demos offline; do
  hs_start_display || status=1
  hs_prefix_folder
  PREFIXES+=("$WINEPREFIX")
  DISPLAYS+=("$DISPLAY")
  XVFB_PIDS+=("$HS_XVFB_PID")
  hs_boot_prefix &
  first_jobs+=($!)
done
end_wine() {
  local n
  for n in "${!PREFIXES[@]}"; do
    WINEPREFIX="${PREFIXES[$n]}" hs_end_prefix
    HS_XVFB_PID="${XVFB_PIDS[$n]}" hs_end_display
  done
}
scripts/build.sh win64 || { wait "${first_jobs[@]}"; end_wine; echo "0 passed, 1 failed"; exit 1; }
echo "== Windows build done at $(elapsed)"
wait "${first_jobs[@]}"  # the source checks and the prefixes' first start

# The builds Wine does not wait for, one after the other at low priority.
# The x86 programs first: the installer, the longest script, needs them and
# the native build.
later_builds() {
  run_logged build-x86.log scripts/build.sh win32
  step_done build-x86
  run_logged build-native.log scripts/build.sh native
  step_done build-native
  [ -e "$LOGS/build-native.log.failed" ] || {
    run_logged native.log build/native/hivesweep-tests
    run_logged asan.log build/native/hivesweep-lifetime-asan
  }
  run_logged build-fuzz.log scripts/fuzz.sh build
  [ -e "$LOGS/build-fuzz.log.failed" ] || run_logged fuzz.log scripts/fuzz.sh replay
  step_done fuzz
}
(
  renice -n 10 -p "$BASHPID" >/dev/null
  later_builds
) &
builds=$!

lane_failed() { touch "$LOGS/lane-$LANE.log.failed"; }
run_script() {  # run_script SCRIPT: one scripted Wine test, in the lane's prefix
  echo "== $(basename "$1") at $(elapsed)"
  bash "$1" 2>&1 || lane_failed
}
missing_build() {  # missing_build WHAT SCRIPT...: the scripts' tests fail for want of WHAT
  local script
  for script in "${@:2}"; do echo "[  FAILED  ] 1 test, $(basename "$script" .sh): $1 did not build"; done
}
lane() {  # lane N COMMANDS: a lane's commands in its prefix and display; output to lane-N.log
  LANE="$1"
  export WINEPREFIX="${PREFIXES[$1]}" XDG_DATA_HOME="${PREFIXES[$1]}/xdg-data" DISPLAY="${DISPLAYS[$1]}"
  "${@:2}" >"$LOGS/lane-$1.log" 2>&1
}
program_lane() {
  echo "== the Windows test program at $(elapsed)"
  (cd build/win64 && "$HS_WINE" hivesweep-tests-win.exe) || lane_failed
  for script in main_window_dpi_144 console_exit_codes ansi_code_page_1251 shortcut_link_loop; do
    run_script "tests/win32/$script.sh"
  done
}
demos_lane() {
  run_script tests/win32/repair_restore_demo.sh
  run_script tests/win32/restore_guard_demo.sh
  # The package test and the installer's release both stage in build/deb.
  if wait_for_step build-native; then
    echo "== the offline program's Debian package at $(elapsed)"
    bash tests/package/deb_install.sh 2>&1 || lane_failed
  else
    missing_build "the native build" deb_install
  fi
  if wait_for_step build-x86; then
    run_script tests/win32/installer.sh
  else
    missing_build "the x86 programs" installer
  fi
}
offline_lane() {
  local scripts=(tests/win32/offline_round_trip.sh tests/win32/offline_same_machine.sh)
  wait_for_step build-native || { missing_build "the native build" "${scripts[@]}"; return; }
  for script in "${scripts[@]}"; do run_script "$script"; done
}
lane 0 program_lane &
lanes=($!)
lane 1 demos_lane &
lanes+=($!)
lane 2 offline_lane &
lanes+=($!)

# A script of tests/win32 that no lane runs would be silently skipped.
for script in tests/win32/*.sh; do
  grep -q "$(basename "$script" .sh)" scripts/test.sh ||
    echo "[  FAILED  ] 1 test, $(basename "$script"): no lane of scripts/test.sh runs it" >>"$LOGS/lanes.log"
done

wait "${lanes[@]}"
end_wine
wait "$builds"

show() {  # show TITLE LOG: a step's output; a failed step fails the run
  echo "== $1"
  [ -e "$LOGS/$2" ] && cat "$LOGS/$2"
  [ ! -e "$LOGS/$2.failed" ] || status=1
}
show "format" format.txt
show "folder order of src/" folder-order.txt
check_failures=$(ls "$LOGS"/format.txt.failed "$LOGS"/folder-order.txt.failed 2>/dev/null | wc -l)
build_failures=0
for build in native x86 fuzz; do
  if [ -e "$LOGS/build-$build.log.failed" ]; then
    show "the $build build" "build-$build.log"
    build_failures=$((build_failures + 1))
  fi
done
show "native tests" native.log
show "scan worker lifetime (AddressSanitizer)" asan.log
for n in 0 1 2; do show "Wine lane $n" "lane-$n.log"; done
[ ! -e "$LOGS/lanes.log" ] || show "lanes" lanes.log
show "fuzz targets: every committed input once" fuzz.log
cat "$LOGS/steps.log"

count() {  # sums GoogleTest's "[  PASSED  ] N" or "[  FAILED  ] N" lines
  grep -hE "^\[  $1  \] [0-9]+ tests?" "$LOGS"/*.log | awk '{s+=$4} END {print s+0}'
}
passed=$(count PASSED)
failed=$(count FAILED)
failed=$((failed + check_failures + build_failures))
[ "$failed" -gt 0 ] && status=1
[ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
echo "== finished at $(elapsed)"
echo "$passed passed, $failed failed"
exit "$status"
