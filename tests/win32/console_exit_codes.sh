#!/usr/bin/env bash
# hivesweep-cli as administrators and scripts meet it: help on standard
# output with exit 0, bad usage on standard error with exit 2, an unwritable
# report with exit 3 and the system's reason, repair JSON as one document,
# the repair's texts in the language of options.ini, no progress lines when
# standard error is a file.
# Run by scripts/test.sh inside its Wine prefix (WINEPREFIX, HS_WINE set).
set -uo pipefail
[ -n "${HS_WINE:-}" ] || . scripts/wine-env.sh
CLI=build/win64/hivesweep-cli.exe
OUT="$(mktemp -d /tmp/hivesweep-console.XXXXXX)"
failures=0

fail() {
  echo "console_exit_codes: $*"
  failures=$((failures + 1))
}

run() {  # run NAME EXE ARGS...: output in $OUT/NAME.out and .err, status in $status
  local name="$1"
  shift
  "$HS_WINE" "$@" >"$OUT/$name.out" 2>"$OUT/$name.err"
  status=$?
  wineserver -w
}

expect() {  # expect NAME CODE STREAM TEXT: exit code and a text in .out or .err
  [ "$status" -eq "$2" ] || fail "$1: exit $status, expected $2 ($(head -c 300 "$OUT/$1.err"))"
  grep -qF -- "$4" "$OUT/$1.$3" || fail "$1: '$4' missing from standard $3: $(head -c 300 "$OUT/$1.$3")"
}

[ -f "$CLI" ] || { echo "missing $CLI"; echo "[  FAILED  ] 1 test, console_exit_codes"; exit 1; }

for flag in --help -h '/?'; do
  name="help-$(printf '%s' "$flag" | tr -dc 'a-z')"
  run "$name" "$CLI" "$flag"
  expect "$name" 0 out "hivesweep-cli scan [--sections LIST]"
  [ -s "$OUT/$name.err" ] && fail "help $flag wrote to standard error"
done
for command in scan repair restore backups sections; do
  run "help-$command" "$CLI" "$command" --help
  expect "help-$command" 0 out "usage: hivesweep-cli $command"
done
run help-cmd "$CLI" help repair
expect help-cmd 0 out "--backup-dir DIR"
expect help-cmd 0 out "5  repair or restore without administrator rights"

run no-args "$CLI"
expect no-args 2 err "usage:"
run unknown "$CLI" clean
expect unknown 2 err "unknown command 'clean'"
run no-value "$CLI" scan --report
expect no-value 2 err "--report needs a value"
run bad-section "$CLI" scan --sections fonts,bogus
expect bad-section 2 err "unknown section 'bogus'"
[ -s "$OUT/bad-section.out" ] && fail "bad usage wrote to standard output"

run sections "$CLI" sections
expect sections 0 out "shared-dlls"

run report "$CLI" scan --sections FONTS,9 --report 'C:\no-such-folder\r.txt'
expect report 3 err 'cannot write the report to C:\no-such-folder\r.txt: '
grep -q 'r.txt: .' "$OUT/report.err" || fail "the report error gives no reason"
grep -q $'\r\\[' "$OUT/report.err" && fail "progress lines went to a file"

# The repair in the language options.ini names, from a copy of the program.
PROGRAM="$WINEPREFIX/drive_c/hs-console-program"
mkdir -p "$PROGRAM"
cp "$CLI" "$PROGRAM/"
printf '[Options]\r\nLan=Pirate\r\n' >"$PROGRAM/options.ini"
printf '[ResourceString]\r\nRES_ThereTotal=Arr, there be\r\n' >"$PROGRAM/Lan_Pirate.ini"
run repair-lan "C:\\hs-console-program\\hivesweep-cli.exe" repair --sections fonts \
  --backup-dir 'C:\hs-console-backup'
expect repair-lan 0 out "Arr, there be"

# A startup entry whose program is gone: one row, repaired into the backup.
run seed "$HS_WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v HsGone \
  /d 'C:\hs-gone\tool.exe' /f
run repair-json "$CLI" repair --sections startup,fonts --json --backup-dir 'C:\hs-console-backup'
expect repair-json 0 out '"rows": ['
python3 - "$OUT/repair-json.out" <<'PY' || fail "repair --json: $(head -c 600 "$OUT/repair-json.out")"
import json, sys
doc = json.load(open(sys.argv[1], encoding='utf-8'))
rows = [r for r in doc["rows"] if r["key"].endswith("\\Run\\HsGone")]
assert doc["completed"] and doc["backupFile"].startswith("C:\\hs-console-backup\\"), doc
assert len(rows) == 1 and rows[0]["outcome"] == "repaired" and rows[0]["reason"] is None, rows
PY

if [ "$failures" -eq 0 ]; then
  echo "[  PASSED  ] 1 test, console_exit_codes"
else
  echo "[  FAILED  ] 1 test, console_exit_codes ($failures checks, files in $OUT)"
  exit 1
fi
