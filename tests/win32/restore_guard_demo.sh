#!/usr/bin/env bash
# The restore's guards with Wine's real regedit: a file that deletes is
# refused and the registry stays as it was; a file this program did not write
# is imported only with --force; after a verified restore only a file in the
# backup folder is deleted. (repair_restore_demo.sh shows a repair's own
# backup restoring without --force.)
# Run by scripts/test.sh inside its Wine prefix (WINEPREFIX, HS_WINE set).
set -uo pipefail
[ -n "${HS_WINE:-}" ] || . scripts/wine-env.sh
OUT="$(mktemp -d /tmp/hivesweep-restore-guard.XXXXXX)"
C="$WINEPREFIX/drive_c"
# A copy of the console beside an empty options.ini-less folder: its backup
# folder is the default, C:\hs-guard\Backup.
mkdir -p "$C/hs-guard/Backup" "$C/hs-guard-elsewhere"
cp build/win64/hivesweep-cli.exe "$C/hs-guard/"
CLI='C:\hs-guard\hivesweep-cli.exe'
GUARD='HKEY_CURRENT_USER\Software\HivesweepGuard'

. tests/win32/lib/script-test.sh

reg_file() {  # reg_file UNIX-PATH LINE...: a REGEDIT4 file with CR LF line ends
  local path="$1"
  shift
  printf 'REGEDIT4\r\n\r\n' >"$path"
  printf '%s\r\n' "$@" >>"$path"
}

export_guard() {  # export_guard NAME: regedit's export of the scratch tree
  wine_run "export-$1" regedit /e "C:\\hs-guard-$1.reg" "$GUARD"
  # Wine writes version-5 exports: UTF-16LE with BOM.
  iconv -f UTF-16LE -t UTF-8 "$C/hs-guard-$1.reg" >"$OUT/$1.reg" 2>/dev/null || : >"$OUT/$1.reg"
}

expect_restore() {  # expect_restore NAME STATUS ARGS...
  local name="$1" want="$2"
  shift 2
  wine_run "$name" "$CLI" restore "$@"
  local status=$?
  echo "-- restore $*: exit $status"
  tr -d '\r' <"$OUT/$name.out"
  tr -d '\r' <"$OUT/$name.err"
  [ "$status" -eq "$want" ] || fail "restore $* exited with $status, expected $want"
}

reg_file "$OUT/seed.reg" "[$GUARD\\Victim]" '"Keep"="1"'
cp "$OUT/seed.reg" "$C/hs-guard-seed.reg"
wine_run seed regedit /s 'C:\hs-guard-seed.reg' || fail "seeding"
export_guard before
grep -q '"Keep"="1"' "$OUT/before.reg" || fail "the seed is not in the registry"

# 1. Deleting lines: refused, with or without --force; nothing imported.
reg_file "$C/hs-guard/Backup/Backup20990101000000.reg" \
  '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]' \
  '"HsGuardEvil"="C:\\evil.exe"' '' "[-$GUARD\\Victim]"
reg_file "$C/hs-guard/Backup/Backup20990101000001.reg" "[$GUARD\\Victim]" '"Keep"=-'
for force in "" "--force"; do
  expect_restore "hostile-key$force" 2 $force 'C:\hs-guard\Backup\Backup20990101000000.reg'
  grep -qF "line 6 \"[-$GUARD\\Victim]\" deletes a key" "$OUT/hostile-key$force.err" ||
    fail "the refusal does not name line 6"
  grep -q -- '--force' "$OUT/hostile-key$force.err" && fail "a refusal by the line rules offers --force"
  expect_restore "hostile-value$force" 2 $force 'C:\hs-guard\Backup\Backup20990101000001.reg'
  grep -qF 'line 4 ""Keep"=-" deletes a value' "$OUT/hostile-value$force.err" ||
    fail "the refusal does not name line 4"
done
[ -f "$C/hs-guard/Backup/Backup20990101000000.reg" ] || fail "a refused file was deleted"
export_guard after-hostile
cmp -s "$OUT/before.reg" "$OUT/after-hostile.reg" || fail "the registry changed after a refusal"
wine_run run-key regedit /e 'C:\hs-guard-run.reg' 'HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
if iconv -f UTF-16LE -t UTF-8 "$C/hs-guard-run.reg" 2>/dev/null | grep -q HsGuardEvil; then
  fail "the Run entry of a refused file was imported"
fi

# 2. A file this program did not write: refused, then imported with --force
# (and, being in the backup folder, deleted after its verified restore).
reg_file "$C/hs-guard/Backup/Backup20990101000002.reg" "[$GUARD\\Planted]" '"x"="1"'
expect_restore untrusted 2 'C:\hs-guard\Backup\Backup20990101000002.reg'
grep -q 'not recorded' "$OUT/untrusted.err" || fail "the refusal does not say why"
grep -q 'restore --force' "$OUT/untrusted.err" || fail "the refusal does not name --force"
export_guard after-untrusted
grep -q 'Planted' "$OUT/after-untrusted.reg" && fail "an untrusted file was imported"
expect_restore forced 0 --force 'C:\hs-guard\Backup\Backup20990101000002.reg'
export_guard after-forced
grep -q 'Planted' "$OUT/after-forced.reg" || fail "the forced restore imported nothing"
[ -f "$C/hs-guard/Backup/Backup20990101000002.reg" ] && fail "the restored file in the backup folder was kept"

# 3. Restored from elsewhere, or through a link in the backup folder: kept.
reg_file "$C/hs-guard-elsewhere/Elsewhere.reg" "[$GUARD\\Elsewhere]" '"y"="2"'
expect_restore elsewhere 0 --force 'C:\hs-guard-elsewhere\Elsewhere.reg'
grep -q 'kept: it is not in the backup folder' "$OUT/elsewhere.out" || fail "no reason to keep"
[ -f "$C/hs-guard-elsewhere/Elsewhere.reg" ] || fail "a file outside the backup folder was deleted"
ln -s "$C/hs-guard-elsewhere/Elsewhere.reg" "$C/hs-guard/Backup/Linked.reg"
expect_restore linked 0 --force 'C:\hs-guard\Backup\Linked.reg'
[ -f "$C/hs-guard-elsewhere/Elsewhere.reg" ] || fail "the target of a link was deleted"
if [ -L "$C/hs-guard/Backup/Linked.reg" ]; then echo "the link was kept"; else echo "the link itself was deleted"; fi

# 4. The listing tells each file's outcome.
wine_run backups-json "$CLI" backups --json || fail "backups --json failed"
tr -d '\r' <"$OUT/backups-json.out"
python3 -c 'import json,sys; json.load(open(sys.argv[1], encoding="utf-8"))' "$OUT/backups-json.out" ||
  fail "backups --json is not JSON"

reg_file "$C/hs-guard-cleanup.reg" "[-$GUARD]"
wine_run cleanup regedit /s 'C:\hs-guard-cleanup.reg'
pass
