#!/usr/bin/env bash
# A scan of a generated registry with 100,000 findings (or VALUES) through the
# real main window and its progress dialog under Wine: how long the GUI
# thread went at most without pumping its messages (the aim: under 50 ms),
# while the dialog was up and over the whole Scan command, and whether the
# findings list ends with the rows of the console's scan of the same
# sections. Runs on a private Xvfb (HS_USE_DISPLAY=1: on yours). Slow; not
# part of scripts/test.sh. Needs build/win64 (HS_BENCH=ON scripts/build.sh win64).
# Usage: scripts/bench-wine-scan-dialog.sh [VALUES]
set -euo pipefail
cd "$(dirname "$0")/.."
VALUES="${1:-100000}"
BENCH="${HS_SCAN_DIALOG_BENCH:-build/win64/hivesweep-scan-dialog-bench.exe}"  # another build to time
[ -f "$BENCH" ] || { echo "build $BENCH first (HS_BENCH=ON scripts/build.sh win64)" >&2; exit 2; }
. scripts/wine-env.sh
hs_start_display
hs_new_prefix
trap 'hs_end_prefix; hs_end_display' EXIT
OUT="$(mktemp /tmp/hivesweep-scan-dialog-bench.XXXXXX)"
status=0
"$HS_WINE" "$BENCH" "$VALUES" >"$OUT" 2>&1 || status=$?
tr -d '\r' <"$OUT"
rm -f "$OUT"
exit "$status"
