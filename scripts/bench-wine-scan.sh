#!/usr/bin/env bash
# Times "hivesweep-cli scan --sections 3,4,5" under Wine against a bare
# enumeration of the same registry trees ("--enumerate-only": every key
# opened, every value read, nothing checked), on a generated registry of
# 200,000 keys and 1,000,000 values, a third of them path-like strings.
# Slow (minutes); not part of scripts/test.sh. Needs build/win64 (run
# scripts/build.sh win64 first). Usage: scripts/bench-wine-scan.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
ROUNDS="${1:-2}"
CLI="${HS_CLI:-build/win64/hivesweep-cli.exe}"  # HS_CLI: another build to time
[ -f "$CLI" ] || { echo "build $CLI first (scripts/build.sh win64)" >&2; exit 2; }
. scripts/wine-env.sh
hs_new_prefix
trap hs_end_prefix EXIT
OUT="$(mktemp -d /tmp/hivesweep-bench.XXXXXX)"
C="$WINEPREFIX/drive_c"

# Folders and files the generated strings refer to: every product folder
# exists with app.exe and lib0..4.dll; "gone" files and "Old" folders do not.
python3 - "$C" "$OUT/bench.reg" <<'PY'
import os, random, sys
drive_c, reg_path = sys.argv[1], sys.argv[2]
VENDORS, PRODUCTS = 200, 10
for v in range(VENDORS):
    for p in range(PRODUCTS):
        folder = os.path.join(drive_c, "Program Files", f"Vendor{v}", f"Product{p}")
        os.makedirs(folder, exist_ok=True)
        for name in ["app.exe"] + [f"lib{k}.dll" for k in range(5)]:
            open(os.path.join(folder, name), "wb").close()
random.seed(20261208)

def esc(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')

def path_like():
    v, p, k = random.randrange(VENDORS), random.randrange(PRODUCTS), random.randrange(6)
    folder = f"C:\\Program Files\\Vendor{v}\\Product{p}"
    return random.choice([
        f"{folder}\\app.exe", f'"{folder}\\app.exe" /min', f"{folder}\\lib{k}.dll",
        f"{folder}\\gone{k}.dll", f"C:\\Program Files\\Old{v}\\Product{p}\\old.exe",
        f"%SystemRoot%\\system32\\kernel32.dll", f"{folder}\\", f"{folder}\\app.exe -embedding"])

def other():
    n = random.randrange(100000)
    return random.choice([f'"Some setting {n}"', f'"1.2.3.{n}"', f"dword:{n:08x}",
                          "hex:01,02,03,04,05,06,07,08"])

trees = [("HKEY_LOCAL_MACHINE\\Software\\HsBench", 110000),
         ("HKEY_CURRENT_USER\\Software\\HsBench", 60000),
         ("HKEY_USERS\\.DEFAULT\\Software\\HsBench", 40000)]
with open(reg_path, "w", encoding="latin-1", newline="\r\n") as out:
    out.write("REGEDIT4\n\n")
    for top, count in trees:
        for i in range(count):
            out.write(f"[{top}\\A{i // 1000}\\B{i // 50 % 20}\\C{i % 50}]\n")
            for v in range(5):
                value = f'"{esc(path_like())}"' if random.randrange(3) == 0 else other()
                out.write(f'"Value{v}"={value}\n')
            out.write("\n")
PY

echo "== importing $(grep -c '^\[' "$OUT/bench.reg") keys, $(grep -c '^"Value' "$OUT/bench.reg") values"
start=$(date +%s.%N)
"$HS_WINE" regedit /s "$(winepath -w "$OUT/bench.reg" 2>/dev/null || echo "$OUT/bench.reg")" \
  >"$OUT/regedit.log" 2>&1
wineserver -w
echo "import: $(echo "$(date +%s.%N) - $start" | bc) s"

run() {  # run LABEL ARGS... ; prints the wall time in seconds
  local label="$1"
  shift
  local t0 t1
  t0=$(date +%s.%N)
  "$HS_WINE" "$CLI" scan --sections 3,4,5 "$@" >"$OUT/$label.out" 2>"$OUT/$label.err" || true
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc
}

for round in $(seq 1 "$ROUNDS"); do
  bare=$(run bare --enumerate-only)
  scan=$(run scan --report 'C:\bench-report.txt')
  echo "round $round: bare enumeration ${bare} s ($(cat "$OUT/bare.out" | tr -d '\r\n')), scan ${scan} s ($(($(wc -l <"$C/bench-report.txt") - 3)) findings), ratio $(echo "scale=2; $scan / $bare" | bc)"
done
