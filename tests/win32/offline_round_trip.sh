#!/usr/bin/env bash
# Offline writing proven against a Wine machine. The demo machine (with the
# round trip's own entries, offline_round_trip.reg) is repaired by
# hivesweep-cli under Wine; its disk is made (hive files from the prefix's
# registry, drive_c on an NTFS image) and, offline:
#   1. the online repair's backup is restored: the keys it names hold again
#      what they held before that repair;
#   2. hivesweep-offline repair removes exactly the items of the rows it
#      reports repaired, nothing else;
#   3. hivesweep-offline restore of that repair's backup gives back every
#      hive as it was before the repair, value for value.
# Then a second Wine machine is made from the repaired hives, and the
# window's restore dialog (hivesweep.exe, driven by keys) restores the
# offline repair's backup there: every item the repair removed is back.
# Run by scripts/test.sh inside its Wine prefix (WINEPREFIX, HS_WINE, and an
# X display set), as root (FUSE); the prefix's registry is put back after.
set -uo pipefail
[ -n "${HS_WINE:-}" ] || . scripts/wine-env.sh  # the wine binary; the prefix is the caller's
OFFLINE=build/native/hivesweep-offline
OUT="$(mktemp -d /tmp/hivesweep-round-trip.XXXXXX)"
. tests/win32/lib/script-test.sh
. scripts/demo-world.sh

needs_offline_volume
command -v xdotool >/dev/null || fail "xdotool is missing: run scripts/setup.sh"

MACHINE="$WINEPREFIX"
REBUILT="$(mktemp -d /tmp/hivesweep-wine.XXXXXX)"
VOLUME="$OUT/fixture/volume"
STARTED_DISPLAY=0

items() { /usr/bin/python3 tests/win32/lib/hive_round_trip.py "$@"; }

hives_of() {  # hives_of ROOT: the five hive files of a volume root or a hives folder
  if [ -d "$1/Windows" ]; then
    local profile="$1/Users/root"
    echo "$1/Windows/System32/config/SOFTWARE" "$1/Windows/System32/config/SYSTEM" \
      "$1/Windows/System32/config/DEFAULT" "$profile/NTUSER.DAT" \
      "$profile/AppData/Local/Microsoft/Windows/UsrClass.dat"
  else
    echo "$1/SOFTWARE" "$1/SYSTEM" "$1/DEFAULT" "$1/NTUSER.DAT" "$1/UsrClass.dat"
  fi
}

snapshot() {  # snapshot NAME ROOT: the hives' keys and values into $OUT/NAME.lines
  # shellcheck disable=SC2046
  items export "$OFFLINE" "$OUT/$1.lines" $(hives_of "$2") || fail "exporting the hives of $2"
}

stop_wine() {  # the current prefix's server ends and writes its registry files
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}

end_all() {
  local volume="$VOLUME"
  if mountpoint -q "$volume"; then umount "$volume" 2>/dev/null || { sleep 1 && umount "$volume"; }; fi
  mountpoint -q "$volume" || rm -rf "$OUT/fixture"
  WINEPREFIX="$REBUILT" wineserver -k 2>/dev/null
  rm -rf "$REBUILT"
  # The caller's prefix gets its registry back, as the other tests expect it.
  if [ -f "$OUT/machine/system.reg" ]; then
    WINEPREFIX="$MACHINE" wineserver -k 2>/dev/null
    WINEPREFIX="$MACHINE" wineserver -w 2>/dev/null
    cp "$OUT/machine/"*.reg "$MACHINE/"
    rm -f "$MACHINE/drive_c/hs-round-trip.reg" "${BACKUPS[@]}"
  fi
  if [ "$STARTED_DISPLAY" = 1 ]; then hs_end_display; fi
}
BACKUPS=()
trap end_all EXIT

# The rebuilt machine's prefix boots while the first machine is mended.
(
  export WINEPREFIX="$REBUILT" XDG_DATA_HOME="$REBUILT/xdg-data"
  mkdir -p "$XDG_DATA_HOME"
  hs_boot_prefix
) &
booting=$!

# --- The demo machine, repaired online -----------------------------------
stop_wine
mkdir -p "$OUT/machine" "$OUT/seeded"
cp "$MACHINE"/system.reg "$MACHINE"/user.reg "$MACHINE"/userdef.reg "$OUT/machine/"
hs_seed_demo build/win64 || fail "seeding the demo machine"
cp tests/win32/offline_round_trip.reg "$MACHINE/drive_c/hs-round-trip.reg"
wine_run seed regedit /s 'C:\hs-round-trip.reg' || fail "seeding offline_round_trip.reg"
stop_wine
cp "$MACHINE"/system.reg "$MACHINE"/user.reg "$MACHINE"/userdef.reg "$OUT/seeded/"

# Every section but ActiveX: Wine's HKEY_CLASSES_ROOT is the machine's
# classes alone, so the demo's class key stays in SOFTWARE\Classes for the
# offline repair, which sees the user's classes too (they hold a CLSID key).
wine_run online-repair "$HS_PROGRAM_DIR/hivesweep-cli.exe" repair --json --sections \
  files-hklm,files-hkcu,files-hku,software-locations,fonts,help-files,shared-dlls,startup,add-remove,file-extensions,custom-controls,obsolete-software,services,start-menu,sounds,mru,installer,applications
status=$?
[ "$status" -eq 0 ] || fail "hivesweep-cli repair exited with $status: $(cat "$OUT/online-repair.err")"
stop_wine
online_backup="$(ls "$HS_PROGRAM_DIR/Backup/"Backup*.reg 2>/dev/null | tail -n1)"
[ -n "$online_backup" ] || fail "hivesweep-cli repair wrote no backup"
BACKUPS+=("$online_backup")

bash scripts/wine-offline-fixture.sh "$MACHINE" "$OUT/fixture" rw >"$OUT/fixture.log" 2>&1 ||
  fail "making the volume: $(cat "$OUT/fixture.log")"
/usr/bin/python3 scripts/wine-hives.py hives "$OUT/seeded" "$OUT/fixture/EmptyHive" \
  "$OUT/seeded-hives" >/dev/null || fail "making hives of the seeded machine"
snapshot seeded "$OUT/seeded-hives"

# --- 1. The online backup restored offline ---------------------------------
"$OFFLINE" restore --windows "$VOLUME" --latest >"$OUT/restore-online.out" 2>"$OUT/restore-online.err"
status=$?
[ "$status" -eq 0 ] || fail "restore of the online backup exited with $status: $(cat "$OUT/restore-online.err")"
snapshot before-repair "$VOLUME"
items restored "$OUT/seeded.lines" "$OUT/before-repair.lines" "$online_backup" >"$OUT/online.check" ||
  fail "the online backup, restored offline, did not bring its keys back:
$(cat "$OUT/online.check")"
echo "$HS_TEST_NAME: online backup restored offline: $(tail -n1 "$OUT/online.check")"

# --- 2. The offline repair ---------------------------------------------------
"$OFFLINE" repair --windows "$VOLUME" --json --quiet >"$OUT/repair.json" 2>"$OUT/repair.err"
status=$?
[ "$status" -eq 0 ] || fail "hivesweep-offline repair exited with $status: $(cat "$OUT/repair.err")"
snapshot repaired "$VOLUME"
items repaired "$OUT/before-repair.lines" "$OUT/repaired.lines" "$OUT/repair.json" >"$OUT/repair.check" ||
  fail "the offline repair did not remove exactly what it reported:
$(cat "$OUT/repair.check")"
echo "$HS_TEST_NAME: offline repair: $(tail -n1 "$OUT/repair.check")"
mkdir -p "$OUT/repaired"
# shellcheck disable=SC2046
cp $(hives_of "$VOLUME") "$OUT/repaired/"
offline_backup="$(ls "$VOLUME/Program Files/Corvane Hivesweep/Backup/"Backup*.reg | tail -n1)"
[ "$(basename "$offline_backup")" != "$(basename "$online_backup")" ] ||
  fail "hivesweep-offline repair wrote no backup"

# --- 3. The offline repair taken back offline --------------------------------
"$OFFLINE" restore --windows "$VOLUME" "$offline_backup" >"$OUT/restore.out" 2>"$OUT/restore.err"
status=$?
[ "$status" -eq 0 ] || fail "restore of the offline backup exited with $status: $(cat "$OUT/restore.err")"
snapshot restored "$VOLUME"
items same "$OUT/before-repair.lines" "$OUT/restored.lines" >"$OUT/restore.check" ||
  fail "after the offline restore the hives differ from before the repair:
$(cat "$OUT/restore.check")"
echo "$HS_TEST_NAME: offline restore: $(tail -n1 "$OUT/restore.check")"

# --- The offline backup restored by the window, on the rebuilt machine ------
wait "$booting"
export WINEPREFIX="$REBUILT" XDG_DATA_HOME="$REBUILT/xdg-data"
# shellcheck disable=SC2046
/usr/bin/python3 scripts/wine-hives.py reg "$OFFLINE" "$REBUILT/drive_c/hs-hives.reg" \
  $(hives_of "$OUT/repaired") || fail "the repaired hives could not be made into a .reg file"
wine_run import regedit /s 'C:\hs-hives.reg' || fail "regedit could not import the repaired hives"
HS_PROGRAM_DIR="$REBUILT/drive_c/Program Files/Corvane Hivesweep"
mkdir -p "$HS_PROGRAM_DIR"
cp build/win64/hivesweep.exe build/win64/Lan_English.ini "$HS_PROGRAM_DIR/"
cp -rp "$VOLUME/Program Files/Corvane Hivesweep/Backup" "$HS_PROGRAM_DIR/"
stop_wine
/usr/bin/python3 scripts/wine-hives.py hives "$REBUILT" "$OUT/fixture/EmptyHive" \
  "$OUT/rebuilt-before" >/dev/null || fail "making hives of the rebuilt machine"
snapshot window-before "$OUT/rebuilt-before"

if [ -z "${DISPLAY:-}" ]; then
  hs_start_display || fail "no X display"
  STARTED_DISPLAY=1
fi
keys_to() {  # keys_to WINDOW KEY...: with or without a window manager
  xdotool windowfocus --sync "$1" >/dev/null 2>&1
  xdotool mousemove --window "$1" 20 40 >/dev/null 2>&1
  shift
  xdotool key --delay 150 "$@"
}
window_named() {  # window_named PATTERN: waits up to 30 s for a visible window
  local found="" tries=0
  while [ -z "$found" ] && [ "$tries" -lt 60 ]; do
    found="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)"
    [ -n "$found" ] || sleep 0.5
    tries=$((tries + 1))
  done
  echo "$found"
}
hs_start_gui >/dev/null 2>&1 || fail "the main window did not appear"
keys_to "$HS_MAIN_WINDOW" ctrl+e
dialog="$(window_named '^Corvane Hivesweep$')"
[ -n "$dialog" ] || fail "the restore dialog did not open"
# The newest backup is the first row; the dialog deletes it after a verified
# restore (its option DeleteBackupFile), and shows a message only otherwise.
keys_to "$dialog" Down
keys_to "$dialog" alt+r
restored_by_window="$HS_PROGRAM_DIR/Backup/$(basename "$offline_backup")"
for _ in $(seq 1 120); do
  [ -e "$restored_by_window" ] || break
  sleep 0.5
done
[ ! -e "$restored_by_window" ] || fail "the window's restore of $(basename "$offline_backup") did not end verified"
stop_wine
/usr/bin/python3 scripts/wine-hives.py hives "$REBUILT" "$OUT/fixture/EmptyHive" \
  "$OUT/rebuilt-after" >/dev/null || fail "making hives of the rebuilt machine"
snapshot window-after "$OUT/rebuilt-after"
items back "$OUT/before-repair.lines" "$OUT/repaired.lines" "$OUT/window-before.lines" \
  "$OUT/window-after.lines" >"$OUT/window.check" ||
  fail "the window's restore did not bring back what the offline repair removed:
$(cat "$OUT/window.check")"
echo "$HS_TEST_NAME: the window's restore on the rebuilt machine: $(tail -n1 "$OUT/window.check")"

export WINEPREFIX="$MACHINE"
end_all
trap - EXIT
rm -rf "$OUT"
pass
