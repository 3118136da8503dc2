#!/usr/bin/env bash
# Times the repair of 5,000 registry items under Wine against Wine's own
# "regedit /e" export of the key that holds them. KIND "uninstall" (the
# default): uninstall entries that name programs that are gone and offer no
# uninstall command, so the Add/Remove Programs task finds each of them and
# the repair deletes each whole entry. KIND "shared-dlls": values of the
# shared-library counters, each naming a library that is gone, which the
# Shared DLLs task finds and the repair deletes value by value. Each item's
# backup is written, read back and verified first. Each round imports the
# items afresh, times the export, then the scan and the repair
# (hivesweep-repair-bench times them apart); the figures are the medians of
# the rounds' ratios, the pair of each round timed back to back so that the
# machine's load weighs on both. One more round counts the Win32 calls of
# both (scripts/wine-bench-tools.sh).
# Wine's server is kept running, so Wine's own start-up is left out, except
# the start of the regedit process, which the export's time includes.
# Slow (minutes); not part of scripts/test.sh. Needs build/win64 (run
# HS_BENCH=ON scripts/build.sh win64 first).
# Usage: scripts/bench-wine-repair.sh [ROUNDS] [ITEMS] [KIND]
set -euo pipefail
cd "$(dirname "$0")/.."
ROUNDS="${1:-5}"
ENTRIES="${2:-5000}"
KIND="${3:-uninstall}"
case "$KIND" in
  uninstall) SECTION=11 UNIT=entry VALUES_PER_ITEM=7
    KEY='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall' ;;
  shared-dlls) SECTION=9 UNIT=value VALUES_PER_ITEM=1
    KEY='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' ;;
  *) echo "KIND is uninstall or shared-dlls" >&2; exit 2 ;;
esac
BENCH="${HS_REPAIR_BENCH:-build/win64/hivesweep-repair-bench.exe}"  # another build to time
[ -f "$BENCH" ] || { echo "build $BENCH first (HS_BENCH=ON scripts/build.sh win64)" >&2; exit 2; }
. scripts/wine-env.sh
. scripts/wine-bench-tools.sh
hs_new_prefix
trap hs_end_prefix EXIT
OUT="$(mktemp -d /tmp/hivesweep-repair-bench.XXXXXX)"
C="$WINEPREFIX/drive_c"

python3 - "$OUT/entries.reg" "$ENTRIES" "$KEY" "$KIND" <<'PY'
import sys
reg_path, count, key, kind = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
with open(reg_path, "w", encoding="latin-1", newline="\r\n") as out:
    out.write("REGEDIT4\n\n")
    if kind == "shared-dlls":
        out.write(f"[{key}]\n")
        for n in range(count):
            out.write(f'"C:\\\\Program Files\\\\Gone Vendor {n % 50}\\\\lib{n}.dll"=dword:{1 + n % 3:08x}\n')
        out.write("\n")
    for n in range(count if kind == "uninstall" else 0):
        folder = f"C:\\\\Program Files\\\\Gone Vendor {n % 50}\\\\Gone Program {n}"
        out.write(f"[{key}\\Gone Program {n}]\n")
        out.write(f'"DisplayName"="Gone Program {n}"\n')
        out.write(f'"DisplayVersion"="1.{n % 7}.{n}"\n')
        out.write(f'"Publisher"="Gone Vendor {n % 50}"\n')
        out.write(f'"InstallLocation"="{folder}\\\\"\n')
        out.write(f'"DisplayIcon"="{folder}\\\\program.exe,0"\n')
        out.write(f'"EstimatedSize"=dword:{n * 37 % 100000:08x}\n')
        out.write(f'"NoModify"=dword:00000001\n\n')
PY

wineserver -p
"$HS_WINE" cmd /c exit >"$OUT/warmup.log" 2>&1 || true

seconds_since() { echo "$(date +%s.%N) - $1" | bc; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
spread() { sort -g | sed -n '1p;$p' | paste -sd- -; }
fresh_entries() {
  rm -rf "$C/bench-backup" "$C/export.reg"
  "$HS_WINE" regedit /s "$(winepath -w "$OUT/entries.reg" 2>/dev/null)" >"$OUT/import.log" 2>&1
}

fresh_entries
count_calls export regedit /e 'C:\export.reg' "$KEY"
count_calls repair "$BENCH" --sections "$SECTION" --backup-dir 'C:\bench-backup'
call_table export repair "$ENTRIES" "$UNIT" "$((ENTRIES * VALUES_PER_ITEM))" value

: >"$OUT/export.times"
: >"$OUT/repair.times"
: >"$OUT/ratios"
: >"$OUT/scan-ratios"
for round in $(seq 1 "$ROUNDS"); do
  fresh_entries
  start=$(date +%s.%N)
  "$HS_WINE" regedit /e 'C:\export.reg' "$KEY" >"$OUT/export.log" 2>&1
  exported=$(seconds_since "$start")
  "$HS_WINE" "$BENCH" --sections "$SECTION" --backup-dir 'C:\bench-backup' >"$OUT/repair.out" 2>"$OUT/repair.err" ||
    { echo "the repair failed:"; cat "$OUT/repair.err"; exit 1; }
  repair=$(awk '/^repair-seconds/ { print $2 }' "$OUT/repair.out" | tr -d '\r')
  scan=$(awk '/^scan-seconds/ { print $2 }' "$OUT/repair.out" | tr -d '\r')
  rows=$(awk '/^rows/ { print $2 }' "$OUT/repair.out" | tr -d '\r')
  failed=$(awk '/^not-repaired/ { print $2 }' "$OUT/repair.out" | tr -d '\r')
  echo "round $round: export ${exported} s ($(stat -c %s "$C/export.reg") bytes), scan ${scan} s," \
       "repair ${repair} s ($rows rows, $failed not repaired, backup $(cat "$C"/bench-backup/*.reg | wc -c)" \
       "bytes), ratio $(echo "scale=3; $repair / $exported" | bc), with the scan" \
       "$(echo "scale=3; ($scan + $repair) / $exported" | bc); load $(cut -d' ' -f1-3 /proc/loadavg)"
  cat "$C"/bench-backup/*.reg >"$OUT/backup.reg"  # kept, to compare the backups of two builds
  echo "$exported" >>"$OUT/export.times"
  echo "$repair" >>"$OUT/repair.times"
  echo "scale=3; $repair / $exported" | bc >>"$OUT/ratios"
  echo "scale=3; ($scan + $repair) / $exported" | bc >>"$OUT/scan-ratios"
done
echo "median of $ROUNDS: export $(median <"$OUT/export.times") s, repair $(median <"$OUT/repair.times") s;" \
  "repair / export $(median <"$OUT/ratios") (spread $(spread <"$OUT/ratios")), (scan + repair) / export" \
  "$(median <"$OUT/scan-ratios") (spread $(spread <"$OUT/scan-ratios"))"
echo "logs: $OUT"
