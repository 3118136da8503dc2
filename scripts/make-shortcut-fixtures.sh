#!/usr/bin/env bash
# Makes the shell link fixtures of tests/data/shortcuts with Wine's own shell
# link object (scripts/shortcut-fixtures/MakeShortcuts.cpp), together with
# expected.txt: each file and the target the shell link object reads from it.
# The files are committed; run this again only to add or remake fixtures.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
OUT=tests/data/shortcuts
WORK="$(mktemp -d /tmp/hivesweep-lnk.XXXXXX)"
x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -municode -static -o "$WORK/MakeShortcuts.exe" \
  scripts/shortcut-fixtures/MakeShortcuts.cpp -lole32 -luuid -lshell32
hs_new_prefix
trap 'hs_end_prefix; rm -rf "$WORK"' EXIT
mkdir -p "$WORK/out"
"$HS_WINE" "$WORK/MakeShortcuts.exe" "Z:${WORK//\//\\}\\out" >"$WORK/wine.log" 2>&1 ||
  { cat "$WORK/wine.log"; exit 1; }
wineserver -w
mkdir -p "$OUT"
cp "$WORK/out/"* "$OUT/"
ls -l "$OUT"
