#!/usr/bin/env bash
# Sets up the machine, builds, and runs the program's main job on the bundled
# demo registry in a fresh Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh all
. scripts/wine-env.sh
hs_new_prefix
trap hs_end_prefix EXIT
OUT="$(mktemp -d /tmp/hivesweep-demo.XXXXXX)"
"$HS_WINE" regedit /s demo/demo.reg >"$OUT/regedit.log" 2>&1
wineserver -w
echo "== hivesweep-cli --version"
"$HS_WINE" build/win64/hivesweep-cli.exe --version >"$OUT/cli.out" 2>"$OUT/cli.err" || true
cat "$OUT/cli.out" "$OUT/cli.err"
