#!/usr/bin/env bash
# Sets up the machine, builds, and runs the program's main job on the bundled
# demo registry in a fresh Wine prefix: the files of the programs that are
# still installed are created, demo/demo.reg is imported (after the prefix
# has booted, so that Wine does not try to start its Run entries), and
# "hivesweep-cli scan" prints its report.
# HS_DEMO_SKIP_BUILD=1 skips setup and build (for a second run).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${HS_DEMO_SKIP_BUILD:-0}" != 1 ]; then
  scripts/setup.sh
  scripts/build.sh all
fi
. scripts/wine-env.sh
hs_new_prefix
trap hs_end_prefix EXIT
OUT="$(mktemp -d /tmp/hivesweep-demo.XXXXXX)"

# What is still installed on the demo machine.
C="$WINEPREFIX/drive_c"
mkdir -p "$C/Program Files/Acme Editor/help" "$C/Program Files/Common Files/Acme" \
  "$C/users/Public/Documents"
printf 'MZ' >"$C/Program Files/Acme Editor/editor.exe"
printf 'MZ' >"$C/Program Files/Common Files/Acme/acmecore.dll"
printf 'notes\r\n' >"$C/users/Public/Documents/notes.txt"

"$HS_WINE" regedit /s demo/demo.reg >"$OUT/regedit.log" 2>&1
wineserver -w
status=0
"$HS_WINE" build/win64/hivesweep-cli.exe scan --report 'C:\report.txt' \
  >"$OUT/cli.out" 2>"$OUT/cli.err" || status=$?
wineserver -w
echo "== hivesweep-cli scan (exit code $status)"
cat "$C/report.txt" 2>/dev/null | tr -d '\r' || true
cat "$OUT/cli.out" "$OUT/cli.err"
exit "$status"
