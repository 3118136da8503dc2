#!/usr/bin/env bash
# The release as a user meets it: scripts/package.sh makes dist/; both
# architectures' installers and zips hold programs of their kind (only x64
# runs here) and speak four languages, the x86 one with a shortcut name of
# its own; under Wine, in a fresh prefix, the x64 installer installs
# silently (files, Start menu shortcut, Uninstall entry with every value),
# shows its pages in the display language (English when not one of ours),
# the installed program opens its main window and closes, the portable copy
# keeps its settings beside itself, and the silent uninstaller removes every
# file and key it added but keeps the backups unless /REMOVEBACKUPS, and
# changes nothing while the window or the console companion runs. The guides
# in the zip are plain text. After
# that a full scan names nothing of ours, while an install whose folder was
# deleted by hand is found by the same scan.
# Run by scripts/test.sh (as the other scripts here); alone from the
# repository's root: bash tests/win32/installer.sh
set -uo pipefail
. scripts/wine-env.sh  # the prefix is its own: hs_new_prefix below
OUT="$(mktemp -d /tmp/hivesweep-installer.XXXXXX)"
CHECKS=tests/win32/lib/release_checks.py
VERSION="$(sed -n 's/^ *VALUE "ProductVersion", "\([0-9.]*\)".*/\1/p' src/ui/win32/Hivesweep.rc)"
PRODUCT="Corvane Hivesweep"
WIN_FOLDER="C:\\Program Files\\$PRODUCT"
UNINSTALL_KEY="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$PRODUCT"
PROGRAM_KEY="HKLM\\Software\\$PRODUCT"
passed=0
failed=()

pass() {
  echo "PASS $1"
  passed=$((passed + 1))
}
fail() {
  echo "FAIL $1: $2"
  failed+=("$1")
}
check() {  # check NAME WHY COMMAND...: passes when the command succeeds
  local name="$1" why="$2"
  shift 2
  if "$@"; then pass "$name"; else fail "$name" "$why"; fi
}
summary() {
  echo "[  PASSED  ] $passed tests."
  if [ "${#failed[@]}" -gt 0 ]; then
    echo "[  FAILED  ] ${#failed[@]} tests, listed below:"
    printf '[  FAILED  ] installer: %s\n' "${failed[@]}"
    return 1
  fi
}
give_up() {  # the steps after this one need it
  fail "$1" "$2"
  summary
  exit 1
}

# --- the artefacts -----------------------------------------------------

start=$SECONDS
bash scripts/package.sh >"$OUT/package.log" 2>&1 ||
  give_up package "scripts/package.sh failed: $(tail -n 20 "$OUT/package.log")"
echo "package.sh took $((SECONDS - start)) s"
DIST=dist
artefacts=("Hivesweep-$VERSION-setup-x64.exe" "Hivesweep-$VERSION-setup-x86.exe"
  "Hivesweep-$VERSION-portable-x64.zip" "Hivesweep-$VERSION-portable-x86.zip" SHA256SUMS
  "hivesweep-offline_${VERSION}_$(dpkg --print-architecture).deb")
check artefacts "dist/ holds $(ls "$DIST" | tr '\n' ' '), expected ${artefacts[*]}" \
  test "$(ls "$DIST" | LC_ALL=C sort)" = "$(printf '%s\n' "${artefacts[@]}" | LC_ALL=C sort)"
check checksums "SHA256SUMS does not match or does not cover every file" \
  bash -c "cd $DIST && sha256sum --quiet -c SHA256SUMS &&
    test \"\$(cut -c67- SHA256SUMS | sort)\" = \"\$(ls | grep -vx SHA256SUMS | sort)\""

program_kinds() {  # program_kinds FILE: the programs' PE kinds, one line each
  python3 "$CHECKS" pe "$1" 2>&1
}
check pe-installer-x64 "$(program_kinds "$DIST/${artefacts[0]}")" \
  test "$(program_kinds "$DIST/${artefacts[0]}")" = "${artefacts[0]} PE32+ x64 gui"
check pe-installer-x86 "$(program_kinds "$DIST/${artefacts[1]}")" \
  test "$(program_kinds "$DIST/${artefacts[1]}")" = "${artefacts[1]} PE32 x86 gui"
for arch in x64 x86; do
  format=PE32+
  [ "$arch" = x86 ] && format=PE32
  expected="hivesweep-cli.exe $format $arch console
hivesweep.exe $format $arch gui"
  zip="$DIST/Hivesweep-$VERSION-portable-$arch.zip"
  check "pe-zip-$arch" "$(program_kinds "$zip" | tr '\n' ';')" test "$(program_kinds "$zip")" = "$expected"
done

# Each language's texts of ours are in the installer's script, read right
# (letters beyond ASCII). Every text has all four languages, or makensis -WX
# fails.
lacking() {  # lacking EXE TEXT...: the texts the NSIS program does not hold
  python3 "$CHECKS" nsis-lacks "$@" 2>&1
}
missing="$(lacking "$DIST/${artefacts[0]}" "$PRODUCT is running" "$PRODUCT wird gerade ausgeführt" \
  "$PRODUCT est en cours d'exécution" "$PRODUCT se está ejecutando")"
check installer-languages "the x64 installer lacks: $missing" test -z "$missing"
# With both installed on 64-bit Windows, each architecture's shortcut has its
# own name, so neither uninstaller takes the other's.
x86_shortcut="$PRODUCT (32-bit).lnk"
check shortcut-names "only the x86 installer should name '$x86_shortcut'" \
  test -z "$(lacking "$DIST/${artefacts[1]}" "$x86_shortcut")" \
  -a -n "$(lacking "$DIST/${artefacts[0]}" "$x86_shortcut")"

# What ships beside the programs: the translations of lang/, the readme, the
# guides as text (and in the zip the options.ini).
SHIPPED=(Fleet.txt Guide.txt $(cd lang && ls Lan_*.ini) Readme.txt hivesweep-cli.exe hivesweep.exe)
zip_names="$(unzip -Z1 "$DIST/Hivesweep-$VERSION-portable-x86.zip" | LC_ALL=C sort)"
expected_names="$(printf "Hivesweep-$VERSION-portable-x86/%s\n" "${SHIPPED[@]}" options.ini | LC_ALL=C sort)"
check zip-contents "the x86 zip holds: $zip_names" test "$zip_names" = "$expected_names"
# One translation for every language of the Language menu.
zip_languages="$(grep -c '/Lan_[A-Za-z]*\.ini$' <<<"$zip_names")"
check zip-languages "the x86 zip holds $zip_languages translations, not 33" test "$zip_languages" -eq 33
# The guides read as plain text in an editor: no Markdown left, 78 columns.
for text in Guide.txt Fleet.txt; do
  markup="$(python3 "$CHECKS" markup "$DIST/Hivesweep-$VERSION-portable-x64.zip" "$text" 2>&1)"
  check "plain-text-$text" "$text holds: $(head -n 5 <<<"$markup")" test -z "$markup"
done

# --- under Wine, a fresh machine ---------------------------------------

[ -n "${DISPLAY:-}" ] || hs_start_display || give_up display "no X display for the windows"
# No desktop entries on the Linux side for the shortcuts the installer makes.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"
hs_new_prefix
finish() {
  hs_end_prefix
  hs_end_display
}
trap finish EXIT
C="$WINEPREFIX/drive_c"
FOLDER="$C/Program Files/$PRODUCT"
SHORTCUT="$C/ProgramData/Microsoft/Windows/Start Menu/Programs/$PRODUCT.lnk"

wine_step() {  # wine_step NAME ARGS...: output to $OUT/NAME.*, waits (at most 120 s) for Wine
  local name="$1" status
  shift
  timeout 120 "$HS_WINE" "$@" >"$OUT/$name.out" 2>"$OUT/$name.err"
  status=$?
  timeout 120 wineserver -w
  return $status
}

install() {  # install NAME [/D=FOLDER]: the x64 installer, silently
  local name="$1"
  shift
  wine_step "$name" "$DIST/${artefacts[0]}" /S "$@" || give_up "$name" "the installer /S exited with $?"
}

# The uninstaller copies itself to the temporary folder and goes on from
# there; wait until our folder has lost it.
uninstall() {  # uninstall NAME WINDOWS_FOLDER UNIX_FOLDER ARGS...
  local name="$1" windows="$2" unix="$3"
  shift 3
  wine_step "$name" "$windows\\uninstall.exe" /S "$@" || fail "$name" "uninstall.exe exited with $?"
  local waited=0
  while [ -e "$unix/uninstall.exe" ] && [ "$waited" -lt 60 ]; do
    sleep 1
    waited=$((waited + 1))
  done
  timeout 60 wineserver -w
}

registry_values() {  # registry_values KEY VIEW: NAME<TAB>TYPE<TAB>DATA lines
  "$HS_WINE" reg query "$1" "/reg:$2" >"$OUT/reg.out" 2>&1
  python3 "$CHECKS" reg-values "$OUT/reg.out"
}
key_gone() {  # key_gone KEY VIEW
  ! "$HS_WINE" reg query "$1" "/reg:$2" >/dev/null 2>&1
}

install install
installed="$(cd "$FOLDER" 2>/dev/null && ls | LC_ALL=C sort)"
check installed-files "$FOLDER holds: $(echo $installed)" \
  test "$installed" = "$(printf '%s\n' "${SHIPPED[@]}" uninstall.exe | LC_ALL=C sort)"
check installed-program-x64 "the installed programs are not the x64 build" \
  cmp -s "$FOLDER/hivesweep.exe" build/win64/hivesweep.exe
check shortcut "no Start menu shortcut to the installed hivesweep.exe" \
  python3 "$CHECKS" names-path "$SHORTCUT" "$WIN_FOLDER\\hivesweep.exe"
missing="$(lacking "$FOLDER/uninstall.exe" "Registry backups" "Registrierungssicherungen" \
  "Sauvegardes du registre" "Copias de seguridad del registro")"
check uninstaller-languages "the uninstaller lacks: $missing" test -z "$missing"

# Not silent, the installer's first page is titled in the display language
# when it is one of ours, else in English. (Locales of our own: LOCPATH.)
installer_title() {  # installer_title LOCALE: the title of the installer's window
  localedef -i "$1" -f UTF-8 "$OUT/locales/$1.UTF-8" >/dev/null 2>&1
  LOCPATH="$OUT/locales" LANG="$1.UTF-8" LC_ALL="$1.UTF-8" \
    "$HS_WINE" "$DIST/${artefacts[0]}" >"$OUT/title-$1.out" 2>&1 &
  local setup=$! window=""
  for _ in $(seq 1 80); do
    window="$(xdotool search --all --pid "$setup" --name "$PRODUCT" 2>/dev/null | head -n1)"
    [ -n "$window" ] && break
    sleep 0.25
  done
  [ -n "$window" ] && xdotool getwindowname "$window" | sed 's/ *$//'
  kill "$setup" 2>/dev/null  # our own Wine process: the page was all we wanted
  wait "$setup" 2>/dev/null
}
mkdir -p "$OUT/locales"
for expected in "de_DE|Installation von $PRODUCT $VERSION" "ru_RU|$PRODUCT $VERSION Setup"; do
  title="$(installer_title "${expected%%|*}")"
  check "installer-language-${expected%%_*}" "the installer's window is titled '$title'" \
    test "$title" = "${expected#*|}"
done
timeout 60 wineserver -w

values="$(registry_values "$UNINSTALL_KEY" 64)"
echo "$values" >"$OUT/uninstall-entry.txt"
kb=$(($(cat "$FOLDER"/* | wc -c) / 1024))
reported=$(($(echo "$values" | awk -F'\t' '$1 == "EstimatedSize" {print $3}')))
check estimated-size "EstimatedSize is $reported KB, the files take $kb KB" \
  test "$reported" -ge $((kb - 1)) -a "$reported" -le $((kb + 1))
while IFS='|' read -r name type data; do
  check "uninstall-entry-$name" "expected $name $type '$data', the entry holds: $(grep -P "^$name\t" <<<"$values")" \
    grep -qxF "$(printf '%s\t%s\t%s' "$name" "$type" "$data")" <<<"$values"
done <<EOF
DisplayName|REG_SZ|$PRODUCT $VERSION (x64)
DisplayVersion|REG_SZ|$VERSION
Publisher|REG_SZ|Corvane Software
DisplayIcon|REG_SZ|$WIN_FOLDER\\hivesweep.exe,0
InstallLocation|REG_SZ|$WIN_FOLDER
UninstallString|REG_SZ|"$WIN_FOLDER\\uninstall.exe"
QuietUninstallString|REG_SZ|"$WIN_FOLDER\\uninstall.exe" /S
NoModify|REG_DWORD|0x1
NoRepair|REG_DWORD|0x1
EOF

# The installed copy, and the x64 portable copy unpacked elsewhere: each
# opens its main window and ends when it is closed; each keeps its settings
# in the options.ini beside it.
gui_check() {  # gui_check NAME WINDOWS_PATH
  (cd build/win64 && HS_SHIPPED_PROGRAM="$2" timeout 120 "$HS_WINE" hivesweep-tests-win.exe \
    --gtest_filter='ShippedProgramTest.*' >"$OUT/$1.log" 2>&1)
  local status=$?
  timeout 60 wineserver -w
  grep -q '^\[       OK \] ShippedProgramTest' "$OUT/$1.log" && [ "$status" -eq 0 ] && return 0
  grep -v '^\[  \(PASSED\|FAILED\)  \]' "$OUT/$1.log" | tail -n 20
  return 1
}
check main-window "the installed hivesweep.exe did not show its main window and end" \
  gui_check gui-installed "$WIN_FOLDER\\hivesweep.exe"
check installed-settings "no options.ini beside the installed program after it closed" \
  grep -q '^\[Window\]' "$FOLDER/options.ini"

unzip -q "$DIST/Hivesweep-$VERSION-portable-x64.zip" -d "$C/Stick"
PORTABLE="$C/Stick/Hivesweep-$VERSION-portable-x64"
check portable-main-window "the portable hivesweep.exe did not show its main window and end" \
  gui_check gui-portable "C:\\Stick\\Hivesweep-$VERSION-portable-x64\\hivesweep.exe"
check portable-settings "the portable options.ini was not kept and written back: $(tr -d '\r' <"$PORTABLE/options.ini" | head -c 300)" \
  bash -c "grep -q '^; Corvane Hivesweep settings' '$PORTABLE/options.ini' &&
    grep -q '^\[Window\]' '$PORTABLE/options.ini' && ! ls '$C/users/'*/AppData/Roaming/'$PRODUCT' >/dev/null 2>&1"

# A backup of a repair, and the program's key in both registry views (a
# 32-bit copy writes below WOW6432Node).
mkdir -p "$FOLDER/Backup"
printf 'REGEDIT4\r\n\r\n' >"$FOLDER/Backup/Backup20261208120000.reg"
for view in 64 32; do
  "$HS_WINE" reg add "$PROGRAM_KEY\\Backup Record" /v 'C:\x.reg' /t REG_BINARY /d 00 /f "/reg:$view" \
    >>"$OUT/seed.out" 2>&1
done

uninstall uninstall "$WIN_FOLDER" "$FOLDER"
left="$(cd "$FOLDER" 2>/dev/null && find . | LC_ALL=C sort | tr '\n' ' ')"
check uninstall-keeps-backups "the program folder holds '$left', expected only the backup" \
  test "$left" = ". ./Backup ./Backup/Backup20261208120000.reg "
check uninstall-shortcut "the Start menu shortcut is still there" test ! -e "$SHORTCUT"
check uninstall-entry "the Uninstall entry is still there" key_gone "$UNINSTALL_KEY" 64
for view in 64 32; do
  check "uninstall-program-key-$view" "$PROGRAM_KEY is still in the $view-bit view" \
    key_gone "$PROGRAM_KEY" "$view"
done

# Again, into a folder of the user's choosing (/D=) and with a backup folder
# of theirs that holds a file of theirs beside a backup. While the program
# runs, a silent uninstall changes nothing and says so (run in place with
# _?= to see its exit code; no spaces, as NSIS takes it). Then
# /REMOVEBACKUPS takes the backups of both folders and leaves their file.
TOOLS="$C/Tools/Hivesweep"
install install-elsewhere '/D=C:\Tools\Hivesweep'
check install-elsewhere "/D=C:\\Tools\\Hivesweep installed nothing there" test -e "$TOOLS/hivesweep.exe"
printf '[Options]\r\nOutputDirectory=C:\\My Backups\r\n' >"$TOOLS/options.ini"
mkdir -p "$C/My Backups" "$TOOLS/Backup"
printf 'REGEDIT4\r\n\r\n' >"$C/My Backups/Backup20261208130000.reg"
printf 'REGEDIT4\r\n\r\n' >"$TOOLS/Backup/Backup20261208120000.reg"
printf 'mine\r\n' >"$C/My Backups/notes.txt"

"$HS_WINE" 'C:\Tools\Hivesweep\hivesweep.exe' >"$OUT/running.out" 2>&1 &
running=$!
window=""
for _ in $(seq 1 60); do
  window="$(xdotool search --name "^$PRODUCT ${VERSION//./\\.}\$" 2>/dev/null | head -n1)"
  [ -n "$window" ] && break
  sleep 0.5
done
if [ -z "$window" ]; then
  fail uninstall-while-running "the installed program's window did not appear"
else
  timeout 60 "$HS_WINE" 'C:\Tools\Hivesweep\uninstall.exe' /S '_?=C:\Tools\Hivesweep' \
    >"$OUT/while-running.out" 2>&1
  status=$?
  check uninstall-while-running "uninstall.exe /S exited with $status while the program ran, files: $(ls "$TOOLS" | tr '\n' ' ')" \
    test "$status" -eq 2 -a -e "$TOOLS/hivesweep.exe" -a -e "$TOOLS/Lan_English.ini" -a -e "$TOOLS/options.ini"
  xdotool windowactivate --sync "$window" >/dev/null 2>&1
  xdotool key alt+F4
fi
for _ in $(seq 1 30); do kill -0 "$running" 2>/dev/null || break; sleep 0.5; done
kill "$running" 2>/dev/null  # only when it did not end (our own Wine process)
timeout 60 wineserver -w

# The console companion has no window (a scheduled scan, say): while it runs,
# held stopped here once Wine has loaded its program, the silent uninstall
# changes nothing either.
"$HS_WINE" 'C:\Tools\Hivesweep\hivesweep-cli.exe' scan --quiet >"$OUT/console-running.out" 2>&1 &
console=$!
for _ in $(seq 1 120); do
  [ "$(cat "/proc/$console/comm" 2>/dev/null)" = hivesweep-cli.e ] && break
  sleep 0.25
done
if kill -STOP "$console" 2>/dev/null && [ "$(cat "/proc/$console/comm")" = hivesweep-cli.e ]; then
  timeout 60 "$HS_WINE" 'C:\Tools\Hivesweep\uninstall.exe' /S '_?=C:\Tools\Hivesweep' \
    >"$OUT/while-console-runs.out" 2>&1
  status=$?
  check uninstall-while-console-runs "uninstall.exe /S exited with $status while the console ran, files: $(ls "$TOOLS" | tr '\n' ' ')" \
    test "$status" -eq 2 -a -e "$TOOLS/hivesweep-cli.exe" -a -e "$TOOLS/Lan_English.ini"
else
  fail uninstall-while-console-runs "hivesweep-cli.exe did not start, or ended at once"
fi
kill -CONT "$console" 2>/dev/null
kill "$console" 2>/dev/null  # our own Wine process: the scan was only there to run
wait "$console" 2>/dev/null
timeout 60 wineserver -w

uninstall uninstall-removing-backups 'C:\Tools\Hivesweep' "$TOOLS" /REMOVEBACKUPS
check uninstall-removes-backups "$TOOLS is still there: $(find "$TOOLS" 2>/dev/null | tr '\n' ' ')" \
  test ! -e "$TOOLS"
check uninstall-keeps-users-files "the chosen backup folder holds: $(ls "$C/My Backups" | tr '\n' ' ')" \
  test "$(ls "$C/My Backups" | tr '\n' ' ')" = "notes.txt "

# A full scan by the build's console companion finds nothing of ours...
scan() {  # scan NAME: the findings naming our product
  wine_step "$1" build/win64/hivesweep-cli.exe scan --json --quiet ||
    { echo "scan failed: $(head -c 300 "$OUT/$1.err")"; return; }
  python3 "$CHECKS" findings "$OUT/$1.out" "$PRODUCT" 2>&1
}
ours="$(scan scan-after-uninstall)"
check scan-after-uninstall "the scan after the uninstall reports: $ours" test -z "$ours"
# ...while an install whose folder went without its uninstaller leaves
# entries the same scan reports.
rm -rf "$FOLDER"  # the backup kept above
install install-then-lose-folder
rm -rf "$FOLDER"
ours="$(scan scan-after-lost-folder)"
check scan-finds-leftovers "the scan did not report the shortcut and the Uninstall entry: $ours" \
  bash -c 'grep -qF "Programs\\$1.lnk" <<<"$2" && grep -qF "Uninstall\\$1\\UninstallString" <<<"$2"' \
  - "$PRODUCT" "$ours"

echo "installer: $((SECONDS - start)) s in all"
summary
