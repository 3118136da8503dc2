#!/usr/bin/env bash
# Times "hivesweep-cli scan" under Wine against a bare enumeration of the
# registry it reads ("--enumerate-only": every key opened, every value read,
# nothing checked), twice: the files-and-folders tasks ("--sections 3,4,5"
# against the same with --enumerate-only) and the full scan ("scan" against
# "scan --enumerate-only", which then walks every tree a full scan reads).
# The generated registry holds 200,000 keys and 1,000,000 values, a third of
# them path-like strings; WORLD "full" (the default) adds a few thousand
# entries in each area the other tasks read (classes, interfaces, type
# libraries, file types, uninstall entries, shared libraries, application
# paths, services, sound schemes, recent-file lists, usage counters, start
# menu order, shortcut files...), WORLD "trees" only the generated trees.
# WORLD "dense" times task 4 alone on a finding-dense HKEY_CURRENT_USER
# (scripts/bench-world-dense-hkcu.py: 20,000 keys, 40,000 findings) against
# hivesweep-bare-scan-bench, the least any program must do there: every key
# and value read, and one file-system question per distinct folder named and
# per distinct file in a folder that exists. ROUNDS pairs of the two, in
# alternating order; the median of the pairs' ratios is reported, and the
# Win32 calls of both, counted per key and per value from Wine's relay trace.
# WORLD "demo" does the same for the full scan of the demo machine
# (scripts/demo-world.sh) against the bare walk of every tree it reads.
# Wine's server is kept running while the scans are timed, so the figures
# leave out Wine's own start-up, as a running Windows would.
# Slow (minutes); not part of scripts/test.sh. Needs build/win64 (run
# scripts/build.sh win64 first). Usage: scripts/bench-wine-scan.sh [ROUNDS] [WORLD]
set -euo pipefail
cd "$(dirname "$0")/.."
ROUNDS="${1:-2}"
WORLD="${2:-full}"
case "$WORLD" in full|trees|dense|demo) ;; *) echo "WORLD is full, trees, dense or demo" >&2; exit 2 ;; esac
CLI="${HS_CLI:-build/win64/hivesweep-cli.exe}"  # HS_CLI: another build to time
# The yardstick of the dense world: the least any program must do there.
BARE="${HS_BARE:-build/win64/hivesweep-bare-scan-bench.exe}"
# HS_YARD_CLI: the build that records and replays the file-system questions
# (for an HS_CLI from before --probe-log existed); the questions are the same.
YARD_CLI="${HS_YARD_CLI:-$CLI}"
[ -f "$CLI" ] || { echo "build $CLI first (scripts/build.sh win64)" >&2; exit 2; }
[ "$WORLD" != dense ] && [ "$WORLD" != demo ] || [ -f "$BARE" ] ||
  { echo "build $BARE first (HS_BENCH=ON scripts/build.sh win64)" >&2; exit 2; }
. scripts/wine-env.sh
. scripts/wine-bench-tools.sh
hs_new_prefix
trap hs_end_prefix EXIT
OUT="$(mktemp -d /tmp/hivesweep-bench.XXXXXX)"
C="$WINEPREFIX/drive_c"

# Wine links the profile's Desktop, Documents, Templates... to the Unix
# home; the shortcut task would walk it. Plain empty folders instead, so that
# the timing is of the registry scan.
find "$C/users" -type l | while IFS= read -r link; do rm -f "$link" && mkdir -p "$link"; done

if [ "$WORLD" = dense ]; then
  python3 scripts/bench-world-dense-hkcu.py "$C" "$OUT/bench.reg"
elif [ "$WORLD" = demo ]; then
  # The demo machine imports its own registry file; none of the generator's.
  . scripts/demo-world.sh
  hs_seed_demo "$(dirname "$CLI")"
  printf 'REGEDIT4\r\n' >"$OUT/bench.reg"
else
# Folders and files the generated strings refer to: every product folder
# exists with app.exe and lib0..4.dll; "gone" files and "Old" folders do not.
python3 - "$C" "$OUT/bench.reg" "$WORLD" <<'PY'
import os, random, struct, sys
drive_c, reg_path, world = sys.argv[1], sys.argv[2], sys.argv[3]
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
if world == "trees":
    sys.exit(0)

# The areas the other tasks read, in the shapes of bench/FullScanWorld.cpp.
random.seed(20261209)
HKLM, HKCU, HKCR = "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT"
CV = "Software\\Microsoft\\Windows\\CurrentVersion"
EXPLORER = CV + "\\Explorer"
out = open(reg_path, "a", encoding="latin-1", newline="\r\n")

def unix(path):
    return os.path.join(drive_c, *path[3:].split("\\"))

def make_file(path, data=b""):
    os.makedirs(os.path.dirname(unix(path)), exist_ok=True)
    with open(unix(path), "wb") as f:
        f.write(data)

def chance(percent):
    return random.randrange(100) < percent

def guid():
    return "{%08X-%04X-%04X-%04X-%012X}" % (random.getrandbits(32), random.getrandbits(16),
                                           random.getrandbits(16), random.getrandbits(16),
                                           random.getrandbits(48))

def folder():
    return f"C:\\Program Files\\Vendor{random.randrange(VENDORS)}\\Product{random.randrange(PRODUCTS)}"

def product_file(name, missing):
    """`name` in a product folder, made there; or, `missing` percent of the
    time, in the folder of a product removed with its folder."""
    v, p = random.randrange(VENDORS), random.randrange(PRODUCTS)
    if chance(missing):
        return f"C:\\Program Files\\Old{v}\\Product{p}\\{name}"
    path = f"C:\\Program Files\\Vendor{v}\\Product{p}\\{name}"
    make_file(path)
    return path

def quoted(path):
    return f'"{path}"'

def text(value):
    return f'"{esc(value)}"'

def dword(n):
    return f"dword:{n:08x}"

def binary(data):
    return "hex:" + ",".join(f"{b:02x}" for b in data)

def key(path, values=()):
    out.write(f"[{path}]\n")
    for name, value in values:
        out.write(("@" if name == "" else text(name)) + "=" + value + "\n")
    out.write("\n")

def com_registrations():
    type_libs = []
    for n in range(1500):
        type_libs.append(guid())
        version = f"{HKCR}\\TypeLib\\{type_libs[-1]}\\1.0"
        key(version, [("", text(f"Bench type library {n}"))])
        key(version + "\\0\\win32", [("", text(product_file("types.tlb", 8)))])
        key(version + "\\FLAGS", [("", text("0"))])
        key(version + "\\HELPDIR", [("", text(folder()))])
    app_ids = [guid() for _ in range(1000)]
    for n, app_id in enumerate(app_ids):
        key(f"{HKCR}\\AppID\\{app_id}", [("", text(f"Bench server {n}"))])
    for n in range(200):
        key(f"{HKCR}\\AppID\\server{n}.exe", [("AppID", text(random.choice(app_ids)))])
    for n in range(4000):
        clsid = f"{HKCR}\\CLSID\\{guid()}"
        values = [("", text(f"Bench class {n}"))]
        if chance(20):
            values.append(("AppID", text(random.choice(app_ids) if chance(90) else guid())))
        key(clsid, values)
        if chance(70):
            library = (f"%SystemRoot%\\system32\\kernel32.dll" if chance(20)
                       else product_file(f"lib{random.randrange(5)}.dll", 8))
            key(clsid + "\\InprocServer32", [("", text(library)),
                                             ("ThreadingModel", text("Apartment"))])
        else:
            key(clsid + "\\LocalServer32",
                [("", text(quoted(product_file("server.exe", 8)) + " -Embedding"))])
        key(clsid + "\\ProgID", [("", text(f"Bench.Class{n}.1"))])
        if chance(30):
            key(clsid + "\\TypeLib",
                [("", text(random.choice(type_libs) if chance(95) else guid()))])
        if chance(15):
            key(clsid + "\\Implemented Categories\\" + guid())
    for n in range(4000):
        interface = f"{HKCR}\\Interface\\{guid()}"
        key(interface, [("", text(f"IBench{n}"))])
        key(interface + "\\ProxyStubClsid32",
            [("", text("{00020424-0000-0000-C000-000000000046}"))])
        key(interface + "\\NumMethods", [("", text(str(3 + random.randrange(20))))])
        if chance(60):
            key(interface + "\\TypeLib",
                [("", text(random.choice(type_libs) if chance(95) else guid())),
                 ("Version", text("1.0"))])

def file_types():
    for n in range(2000):
        extension = f"{HKCR}\\.bx{n}"
        prog_id = f"BenchVendor{random.randrange(VENDORS)}.Doc{n}"
        if chance(3):
            key(extension)
            continue
        if chance(2):
            key(extension, [("", text(""))])
            continue
        key(extension, [("", text(prog_id)), ("Content Type", text(f"application/x-bx{n}"))])
        key(extension + "\\OpenWithProgids", [(prog_id, text(""))])
        program = product_file("app.exe", 8)
        key(f"{HKCR}\\{prog_id}", [("", text(f"Bench document {n}"))])
        key(f"{HKCR}\\{prog_id}\\DefaultIcon", [("", text(program + ",1"))])
        key(f"{HKCR}\\{prog_id}\\shell\\open\\command",
            [("", text(quoted(program) + ' "%1"'))])
    for n in range(500):
        app = f"{HKCR}\\Applications\\tool{n}.exe"
        key(app, [("FriendlyAppName", text(f"Bench tool {n}"))])
        key(app + "\\shell\\open\\command",
            [("", text(quoted(product_file("app.exe", 10)) + ' "%1"'))])
        if chance(30):
            key(app + "\\shell\\edit\\command",
                [("", text(quoted(product_file("app.exe", 10)) + ' /edit "%1"'))])
        key(app + "\\SupportedTypes", [(f".bx{random.randrange(2000)}", text(""))])

def machine_software():
    for n in range(1500):
        where = folder()
        if not chance(10):
            make_file(f"{where}\\tool{n}.exe")
        key(f"{HKLM}\\{CV}\\App Paths\\tool{n}.exe",
            [("", text(f"{where}\\tool{n}.exe")), ("Path", text(where))])
    names = []
    for n in range(2000):
        installer = chance(40)
        names.append(guid() if installer else f"Bench Product {n}")
        values = [("DisplayName", text(f"Bench Product {n}")),
                  ("DisplayVersion", text(f"1.{random.randrange(50)}")),
                  ("Publisher", text(f"Vendor {random.randrange(VENDORS)}")),
                  ("InstallLocation", text(folder() + "\\")),
                  ("DisplayIcon", text(product_file("app.exe", 10) + ",0")),
                  ("EstimatedSize", dword(random.randrange(100000)))]
        if not chance(8):
            values.append(("UninstallString", text(
                "MsiExec.exe /X" + names[-1] if installer
                else quoted(product_file("uninst.exe", 10)) + " /S")))
        key(f"{HKLM}\\{CV}\\Uninstall\\{names[-1]}", values)
    for n in range(800):
        name = random.choice(names) if chance(90) else f"Removed Product {n}"
        key(f"{HKLM}\\{CV}\\App Management\\ARPCache\\{name}",
            [("SlowInfoCache", binary(b"\x01" * 552)), ("Changed", dword(0))])
    key(f"{HKLM}\\{CV}\\Installer\\Folders",
        [(folder() + "\\" if chance(90) else f"C:\\Program Files\\Old{n}\\", text(""))
         for n in range(2500)])
    key(f"{HKLM}\\{CV}\\SharedDlls",
        [(product_file(f"lib{random.randrange(6)}.dll", 5),
          dword(0 if chance(3) else 1 + random.randrange(5))) for n in range(3000)])
    for run in ("Run", "RunOnce"):
        key(f"{HKLM}\\{CV}\\{run}",
            [(f"Bench{n}", text(quoted(product_file("app.exe", 10)) + " /background"))
             for n in range(40)])
    for help_key in ("Help", "Html Help"):
        values = []
        for n in range(400):
            where = folder()
            if not chance(10):
                make_file(f"{where}\\manual{n}.chm")
            values.append((f"manual{n}.chm", text(where)))
        key(f"{HKLM}\\Software\\Microsoft\\Windows\\{help_key}", values)
    # Fewer fonts than natively: Wine's graphics library reads this key and
    # the Fonts folder when a program starts.
    fonts = []
    for n in range(100):
        font = f"benchfont{n}.ttf"
        if n < 80:
            make_file("C:\\windows\\Fonts\\" + font)
        fonts.append((f"Bench Font {n} (TrueType)",
                      text(product_file(font, 30) if n % 10 == 0 else font)))
    key(f"{HKLM}\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", fonts)
    for n in range(30):
        key(f"{HKLM}\\Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\Bench{n}",
            [("key", text("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run")),
             ("item", text(f"Bench{n}")),
             ("command", text(quoted(product_file("app.exe", 20))))])

def software_keys():
    for n in range(300):
        for hive in (HKLM, HKCU):
            top = f"{hive}\\Software\\BenchSoft{n}"
            if chance(4):
                key(top + "\\Settings")
                continue
            key(top + "\\Settings", [("InstallDir", text(folder())), ("Level", dword(3))])
            key(top + "\\Recent", [("File1", text(product_file("data.dat", 30)))])

def services():
    # Demand-start services that nothing starts.
    for n in range(1500):
        service = f"{HKLM}\\SYSTEM\\CurrentControlSet\\Services\\BenchSvc{n}"
        image = random.choice([
            f"system32\\drivers\\benchdrv{n}.sys",
            "%SystemRoot%\\system32\\svchost.exe -k netsvcs",
            quoted(product_file("service.exe", 10)) + " -service",
            product_file(f"driver{n}.sys", 10)])
        key(service, [("ImagePath", text(image)), ("DisplayName", text(f"Bench service {n}")),
                      ("Start", dword(3)), ("Type", dword(16)), ("ErrorControl", dword(1))])
        if chance(30):
            key(service + "\\Parameters",
                [("ServiceDll", text(f"%SystemRoot%\\system32\\bench{n % 50}.dll"))])
        if chance(20):
            key(service + "\\Enum", [("Count", dword(1)), ("NextInstance", dword(1))])

def rot13(value):
    return value.translate(str.maketrans(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz",
        "NOPQRSTUVWXYZABCDEFGHIJKLMnopqrstuvwxyzabcdefghijklm"))

def user_areas():
    for n in range(200):
        make_file(f"C:\\windows\\Media\\benchsound{n}.wav")
    for app in range(40):
        for event in range(25):
            for scheme in (".Current", ".Default"):
                sound = ("" if chance(30)
                         else f"C:\\windows\\Media\\benchsound{random.randrange(220)}.wav")
                key(f"{HKCU}\\AppEvents\\Schemes\\Apps\\BenchApp{app}\\Event{event}\\{scheme}",
                    [("", text(sound))])
    for n in range(2000):
        ext = f"{HKCU}\\{EXPLORER}\\FileExts\\.bx{n}"
        if chance(3):
            key(ext + "\\OpenWithList")
            continue
        key(ext + "\\OpenWithList", [("a", text("app.exe")), ("MRUList", text("a"))])
        key(ext + "\\OpenWithProgids", [(f"BenchVendor.Doc{n}", text(""))])
    for n in range(80):
        values = [(letter, text(product_file(f"doc{random.randrange(100)}.bx{n}", 20)))
                  for letter in "abcdefghijklmnopqrst"]
        values.append(("MRUList", text("abcdefghijklmnopqrst")))
        key(f"{HKCU}\\{EXPLORER}\\ComDlg32\\OpenSaveMRU\\" + ("*" if n == 0 else f"bx{n}"),
            values)
    counters = []
    for n in range(1500):
        name = (f"UEME_RUNPIDL:%csidl2%\\Bench\\tool{n}.lnk" if chance(20)
                else "UEME_RUNPATH:" + product_file("app.exe", 10))
        record = bytearray(16)
        record[4] = 0 if chance(5) else 1 + random.randrange(50)
        counters.append((rot13(name) + str(n), binary(record)))
    key(f"{HKCU}\\{EXPLORER}\\UserAssist\\{{75048700-EF1F-11D0-9888-006097DEACF9}}\\Count",
        counters)
    for n in range(300):
        key(f"{HKCU}\\{EXPLORER}\\MenuOrder\\Start Menu2\\Programs\\Bench Folder {n}",
            [("Order", binary(b"\x02" * 64))])

def shell_link(target):
    """A shortcut file that names its target by a local path only."""
    label = b"\0"
    volume = struct.pack("<IIII", 16 + len(label), 3, 0x1234, 16) + label
    path = target.encode("latin-1") + b"\0"
    path_offset = 28 + len(volume)
    suffix_offset = path_offset + len(path)
    info_size = suffix_offset + 1
    info = struct.pack("<IIIIIII", info_size, 28, 1, 28, path_offset, 0, suffix_offset)
    header = struct.pack("<I16sII8s8s8sIiIHHII", 0x4C,
                         bytes.fromhex("0114020000000000c000000000000046"),
                         0x02, 0x20, bytes(8), bytes(8), bytes(8), 0, 0, 1, 0, 0, 0, 0)
    return header + info + volume + path + b"\0" + struct.pack("<I", 0)

def shortcuts():
    profile = "C:\\users\\" + os.environ.get("USER", "root")
    app_data = profile + "\\AppData\\Roaming"
    start_menu = app_data + "\\Microsoft\\Windows\\Start Menu"
    common = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"
    for n in range(280):
        where = (start_menu if n % 2 else common) + f"\\Programs\\Bench Folder {n}"
        for link in range(3):
            make_file(f"{where}\\Bench {link}.lnk", shell_link(product_file("app.exe", 8)))
    for n in range(400):
        make_file(f"{app_data}\\Microsoft\\Windows\\Recent\\doc{n}.bx.lnk",
                  shell_link(product_file(f"doc{n}.bx1", 25)))
    for n in range(60):
        make_file(f"{profile}\\Desktop\\Bench {n}.lnk", shell_link(product_file("app.exe", 10)))
        make_file(f"{app_data}\\Microsoft\\Internet Explorer\\Quick Launch\\Bench {n}.lnk",
                  shell_link(product_file("app.exe", 10)))
        make_file(f"{app_data}\\Bench\\cache{n}.dat")

com_registrations()
file_types()
machine_software()
software_keys()
services()
user_areas()
shortcuts()
out.close()
PY
fi

echo "== importing $(grep -c '^\[' "$OUT/bench.reg") keys, $(grep -c '^["@]' "$OUT/bench.reg") values ($WORLD)"
start=$(date +%s.%N)
"$HS_WINE" regedit /s "$(winepath -w "$OUT/bench.reg" 2>/dev/null || echo "$OUT/bench.reg")" \
  >"$OUT/regedit.log" 2>&1
wineserver -w
echo "import: $(echo "$(date +%s.%N) - $start" | bc) s"

# One Wine session for all the timings: its start-up is not the scan's.
wineserver -p
"$HS_WINE" cmd /c exit >"$OUT/warmup.log" 2>&1 || true

run() {  # run LABEL ARGS... ; prints the wall time in seconds
  local label="$1"
  shift
  local t0 t1
  t0=$(date +%s.%N)
  "$HS_WINE" "$CLI" scan "$@" >"$OUT/$label.out" 2>"$OUT/$label.err" || true
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc
}

timed() {  # timed LABEL ARGS... ; prints the wall time and the program's own CPU time (user + system)
  local label="$1"
  shift
  local cli="$CLI"
  case "$*" in *probe*) cli="$YARD_CLI" ;; esac
  /usr/bin/time -f "%e %U %S" -o "$OUT/$label.time" "$HS_WINE" "$cli" scan "$@" \
    >"$OUT/$label.out" 2>"$OUT/$label.err" || true
  awk '{ print $1, $2 + $3 }' "$OUT/$label.time"
}

counted() {  # counted LABEL NAME ; a "name value" line of a counted run's output
  awk -v name="$2" '$1 == name { print $2 }' "$OUT/$1.counted.out" | tr -d '\r'
}

findings() {  # the report's rows: every line but the three of its heading
  echo $(($(wc -l <"$C/$1") - 3))
}

median() {  # median of the arguments
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

if [ "$WORLD" = dense ] || [ "$WORLD" = demo ]; then
  # Dense: task 4 against the walk of HKEY_CURRENT_USER. Demo: the full scan
  # against the walk of every tree its tasks read.
  SCAN=(--sections 4) BARE_TREES=() WHAT="task 4"
  if [ "$WORLD" = demo ]; then
    SCAN=() WHAT="full scan" BARE_TREES=('HKLM\Software' HKCU HKU 'HKLM\SYSTEM\CurrentControlSet\Services')
  fi
  # One untimed scan records the paths it asks the file system about.
  CLI="$YARD_CLI" run record "${SCAN[@]}" --report 'C:\bench-report.txt' --probe-log 'C:\bench-probes.bin' >/dev/null
  echo "$WHAT: $(findings bench-report.txt) findings, $(tr -cd '\0' <"$C/bench-probes.bin" | wc -c) distinct file-system questions"
  count_calls baseline "$BARE" "${BARE_TREES[@]}"
  count_calls scan "$CLI" scan "${SCAN[@]}" --report 'C:\bench-counted.txt'
  cmp -s "$C/bench-report.txt" "$C/bench-counted.txt" || echo "the counted scan's report differs!"
  call_table baseline scan "$(counted baseline keys)" key "$(counted baseline values)" value
  # Wall time on a shared machine follows its load: each round times the
  # baseline and the scan back to back, in alternating order, and the ratio
  # of the pair is what counts. The work of each (its own CPU time and that
  # of Wine's server meanwhile) is measured too: the load does not stretch it.
  ratios=() wratios=()
  for round in $(seq 1 "$ROUNDS"); do
    if [ $((round % 2)) = 1 ]; then
      read -r bwall bcpu bserver < <(timed_run baseline "$BARE" "${BARE_TREES[@]}")
      read -r swall scpu sserver < <(timed_run scan "$CLI" scan "${SCAN[@]}" --report 'C:\bench-report.txt')
    else
      read -r swall scpu sserver < <(timed_run scan "$CLI" scan "${SCAN[@]}" --report 'C:\bench-report.txt')
      read -r bwall bcpu bserver < <(timed_run baseline "$BARE" "${BARE_TREES[@]}")
    fi
    ratios+=("$(echo "scale=3; $swall / $bwall" | bc)")
    wratios+=("$(echo "scale=3; ($scpu + $sserver) / ($bcpu + $bserver)" | bc)")
    echo "round $round: wall baseline $bwall s, scan $swall s, ratio ${ratios[-1]};" \
      "CPU (program + server) baseline $bcpu + $bserver s, scan $scpu + $sserver s, ratio ${wratios[-1]};" \
      "load $(cut -d' ' -f1-3 /proc/loadavg)"
  done
  spread() { printf '%s\n' "$@" | sort -g | sed -n '1p;$p' | paste -sd- -; }
  echo "$WHAT, scan / baseline, median of $ROUNDS pairs: wall $(median "${ratios[@]}")" \
    "(spread $(spread "${ratios[@]}")), CPU $(median "${wratios[@]}") (spread $(spread "${wratios[@]}"))"
  echo "reports and logs: $OUT"
  exit 0
fi

for round in $(seq 1 "$ROUNDS"); do
  bare=$(run bare --sections 3,4,5 --enumerate-only)
  scan=$(run scan --sections 3,4,5 --report 'C:\bench-report.txt')
  echo "round $round, tasks 3-5: bare enumeration ${bare} s ($(tr -d '\r\n' <"$OUT/bare.out")), scan ${scan} s ($(findings bench-report.txt) findings), ratio $(echo "scale=2; $scan / $bare" | bc)"
  bare=$(run fullbare --enumerate-only)
  scan=$(run full --report 'C:\bench-full-report.txt')
  echo "round $round, full scan: bare enumeration ${bare} s ($(tr -d '\r\n' <"$OUT/fullbare.out")), scan ${scan} s ($(findings bench-full-report.txt) findings), ratio $(echo "scale=2; $scan / $bare" | bc)"
done
cp "$C"/bench-*report.txt "$OUT"/
if [ -s "$OUT/full.err" ]; then echo "full scan said:"; cat "$OUT/full.err"; fi
echo "reports and logs: $OUT"
