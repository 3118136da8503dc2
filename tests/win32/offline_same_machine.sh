#!/usr/bin/env bash
# The same machine read two ways: the demo machine under Wine scanned by
# hivesweep-cli, and the same machine as a Windows disk (its hive files made
# from the prefix's registry files, its drive_c on an NTFS image) scanned by
# hivesweep-offline. Both must give the same rows in the same order.
# Run by scripts/test.sh inside its Wine prefix (WINEPREFIX, HS_WINE set);
# needs root for FUSE (skipped, and said so, without it).
set -uo pipefail
[ -n "${HS_WINE:-}" ] || . scripts/wine-env.sh  # the wine binary; the prefix is the caller's
OFFLINE=build/native/hivesweep-offline
OUT="$(mktemp -d /tmp/hivesweep-same-machine.XXXXXX)"
. tests/win32/lib/script-test.sh
. scripts/demo-world.sh

needs_offline_volume
# The volume goes whatever happens; the programs' output stays on failure.
remove_fixture() {
  local volume="$OUT/fixture/volume"
  if mountpoint -q "$volume"; then umount "$volume" 2>/dev/null || { sleep 1 && umount "$volume"; }; fi
  mountpoint -q "$volume" || rm -rf "$OUT/fixture"
}
trap remove_fixture EXIT

hs_seed_demo build/win64 || fail "seeding the demo machine"
wine_run online "$HS_PROGRAM_DIR/hivesweep-cli.exe" scan
status=$?
[ "$status" -eq 0 ] || fail "hivesweep-cli scan exited with $status: $(cat "$OUT/online.err")"
# Wine saves its registry files when its server ends.
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null

bash scripts/wine-offline-fixture.sh "$WINEPREFIX" "$OUT/fixture" >"$OUT/fixture.log" 2>&1 ||
  fail "making the volume: $(cat "$OUT/fixture.log")"
"$OFFLINE" scan --windows "$OUT/fixture/volume" >"$OUT/offline.out" 2>"$OUT/offline.err"
status=$?
[ "$status" -eq 0 ] || fail "hivesweep-offline scan exited with $status: $(cat "$OUT/offline.err")"

# Wine spells the default user's key ".Default"; Windows, and so the
# offline layout, ".DEFAULT".
tr -d '\r' <"$OUT/online.out" | sed 's/HKEY_USERS\\\.Default\\/HKEY_USERS\\.DEFAULT\\/' >"$OUT/online.rows"
tr -d '\r' <"$OUT/offline.out" >"$OUT/offline.rows"
rows=$(grep -c ' ##### ' "$OUT/offline.rows")
[ "$rows" -gt 20 ] || fail "the offline scan found only $rows rows (files in $OUT)"
diff -u "$OUT/online.rows" "$OUT/offline.rows" >"$OUT/rows.diff" ||
  fail "the rows differ (hivesweep-cli -, hivesweep-offline +):
$(head -n 40 "$OUT/rows.diff")"
echo "$HS_TEST_NAME: $rows rows, the same on both sides"

# The way back: the hives as one .reg file imported by Wine's registry
# editor into the machine they came from change nothing there (no link made
# an ordinary key, no name or value altered).
mkdir -p "$OUT/before"
cp "$WINEPREFIX"/system.reg "$WINEPREFIX"/user.reg "$WINEPREFIX"/userdef.reg "$OUT/before/"
hives="$OUT/fixture/hives"
/usr/bin/python3 scripts/wine-hives.py reg "$OFFLINE" "$WINEPREFIX/drive_c/hs-hives.reg" \
  "$hives/SOFTWARE" "$hives/SYSTEM" "$hives/DEFAULT" "$hives/NTUSER.DAT" "$hives/UsrClass.dat" ||
  fail "the hives could not be made into a .reg file"
wine_run import regedit /s 'C:\hs-hives.reg' || fail "regedit could not import the hives' .reg file"
rm -f "$WINEPREFIX/drive_c/hs-hives.reg"
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
/usr/bin/python3 scripts/wine-hives.py compare "$OUT/before" "$WINEPREFIX" >"$OUT/compare.out" ||
  fail "importing the hives changed the registry: $(cat "$OUT/compare.out")"
echo "$HS_TEST_NAME: $(tail -n1 "$OUT/compare.out")"
remove_fixture
rm -rf "$OUT"
pass
