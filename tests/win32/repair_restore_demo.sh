#!/usr/bin/env bash
# Repair then restore on the demo registry under Wine: every key the repair
# touched must come back exactly as it was, compared through Wine's own
# "regedit /e" exports taken before the repair and after the restore.
# Run by scripts/test.sh inside its Wine prefix (WINEPREFIX, HS_WINE set).
set -uo pipefail
[ -n "${HS_WINE:-}" ] || . scripts/wine-env.sh  # the wine binary; the prefix is the caller's
CLI=build/win64/hivesweep-cli.exe
OUT="$(mktemp -d /tmp/hivesweep-repair-restore.XXXXXX)"
BACKUP_DIR='C:\hivesweep-repair-restore'

. tests/win32/lib/script-test.sh

[ -f "$CLI" ] || fail "missing $CLI"
wine_run seed-demo regedit /s demo/demo.reg || fail "seeding demo/demo.reg"
wine_run seed-extra regedit /s tests/win32/repair_restore_fixture.reg || fail "seeding the fixture"

# Before: the hives the demo and the fixture live in.
wine_run before-hkcu regedit /e 'C:\hs-before-hkcu.reg' HKEY_CURRENT_USER
wine_run before-hklm regedit /e 'C:\hs-before-hklm.reg' 'HKEY_LOCAL_MACHINE\Software'
cp "$WINEPREFIX/drive_c/hs-before-hkcu.reg" "$WINEPREFIX/drive_c/hs-before-hklm.reg" "$OUT/"

wine_run repair "$CLI" repair --backup-dir "$BACKUP_DIR"
status=$?
cat "$OUT/repair.out" "$OUT/repair.err"
[ "$status" -eq 0 ] || fail "repair exited with $status"
backup_line="$(tr -d '\r' <"$OUT/repair.out" | grep '^Backup file: ')" || fail "repair printed no backup file"
backup="${backup_line#Backup file: }"
case "$backup" in C:\\*) ;; *) fail "no backup was written: $backup_line" ;; esac
unix_backup="$WINEPREFIX/drive_c/$(printf '%s' "${backup#C:\\}" | tr '\\' '/')"
[ -f "$unix_backup" ] || fail "backup file $unix_backup is missing"
cp "$unix_backup" "$OUT/backup.reg"

wine_run restore "$CLI" restore "$backup"
status=$?
cat "$OUT/restore.out" "$OUT/restore.err"
[ "$status" -eq 0 ] || fail "restore exited with $status"

wine_run after-hkcu regedit /e 'C:\hs-after-hkcu.reg' HKEY_CURRENT_USER
wine_run after-hklm regedit /e 'C:\hs-after-hklm.reg' 'HKEY_LOCAL_MACHINE\Software'
cp "$WINEPREFIX/drive_c/hs-after-hkcu.reg" "$WINEPREFIX/drive_c/hs-after-hklm.reg" "$OUT/"

python3 - "$OUT" <<'EOF' || fail "the restored registry differs (details above; files in $OUT)"
import sys, os

out = sys.argv[1]

def read_export(path):
    raw = open(path, 'rb').read()
    text = raw.decode('utf-16') if raw[:2] == b'\xff\xfe' else raw.decode('cp1252')
    sections, current, pending = {}, None, ''
    for line in text.replace('\r\n', '\n').split('\n'):
        if pending:
            line, pending = pending + line.strip(), ''
        if line.endswith('\\') and current is not None and not line.startswith('['):
            pending = line[:-1]
            continue
        if line.startswith('[') and line.endswith(']'):
            current = line[1:-1].upper()
            sections[current] = []
        elif line and current is not None:
            sections[current].append(line)
    return {key: sorted(lines) for key, lines in sections.items()}

def touched_keys(path):
    keys = set()
    for line in open(path, 'rb').read().decode('cp1252').split('\r\n'):
        if line.startswith('[') and line.endswith(']'):
            keys.add(line[1:-1].upper())
    return keys

before, after = {}, {}
for hive in ('hkcu', 'hklm'):
    before.update(read_export(os.path.join(out, 'hs-before-%s.reg' % hive)))
    after.update(read_export(os.path.join(out, 'hs-after-%s.reg' % hive)))
touched = touched_keys(os.path.join(out, 'backup.reg'))
if not touched:
    print('the backup holds no key'); sys.exit(1)

def below(key, roots):
    return any(key == r or key.startswith(r + '\\') for r in roots)

bad = 0
for key in sorted(set(before) | set(after)):
    if not below(key, touched):
        continue
    if before.get(key) != after.get(key):
        bad += 1
        print('differs: [%s]\n  before: %s\n  after:  %s' % (key, before.get(key), after.get(key)))
print('%d touched keys compared, %d differ' % (len(touched), bad))
sys.exit(1 if bad else 0)
EOF

pass
