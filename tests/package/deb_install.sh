#!/usr/bin/env bash
# The Debian package of hivesweep-offline, installed on this machine: the
# program answers, its manual page reads, and "dpkg -r" leaves none of its
# files behind. Needs root (skipped, and said so, without it; and when the
# package is installed already, which this test must not disturb).
set -uo pipefail
cd "$(dirname "$0")/../.."
OUT="$(mktemp -d /tmp/hivesweep-deb.XXXXXX)"
. tests/win32/lib/script-test.sh  # one test as scripts/test.sh counts it

if [ "$(id -u)" -ne 0 ]; then
  echo "$HS_TEST_NAME: skipped: installing a package needs root"
  pass
  exit 0
fi
if dpkg-query -W -f='${Status}' hivesweep-offline 2>/dev/null | grep -q "ok installed"; then
  echo "$HS_TEST_NAME: skipped: hivesweep-offline is installed on this machine already"
  pass
  exit 0
fi

package="$(bash scripts/make-deb.sh "$OUT" 2>"$OUT/make.err")" || fail "make-deb.sh: $(cat "$OUT/make.err")"
dpkg-deb -f "$package" Depends | grep -q libhivex || fail "the package does not depend on libhivex"
dpkg-deb -c "$package" | awk '{print $NF}' | sed 's|^\./|/|' | grep -v '/$' >"$OUT/files"
dpkg -i "$package" >"$OUT/install.log" 2>&1 || fail "dpkg -i: $(cat "$OUT/install.log")"
remove() { dpkg -r hivesweep-offline >"$OUT/remove.log" 2>&1; }
trap remove EXIT

[ "$(command -v hivesweep-offline)" = /usr/bin/hivesweep-offline ] ||
  fail "hivesweep-offline is not on the path"
hivesweep-offline --help >"$OUT/help.out" 2>&1 || fail "hivesweep-offline --help failed"
grep -q "hivesweep-offline check --windows DIR" "$OUT/help.out" || fail "--help: $(cat "$OUT/help.out")"
MANWIDTH=80 man -P cat hivesweep-offline >"$OUT/man.out" 2>"$OUT/man.err" ||
  fail "man hivesweep-offline: $(cat "$OUT/man.err")"
for heading in NAME SYNOPSIS COMMANDS "EXIT STATUS" undo-commit restore repair backups export; do
  grep -q "$heading" "$OUT/man.out" || fail "the manual page lacks $heading"
done
grep -q "warning" "$OUT/man.err" && fail "man warns: $(cat "$OUT/man.err")"

trap - EXIT
remove || fail "dpkg -r: $(cat "$OUT/remove.log")"
left=0
while IFS= read -r file; do
  [ -e "$file" ] && { echo "left behind: $file"; left=1; }
done <"$OUT/files"
[ -e /usr/share/doc/hivesweep-offline ] && { echo "left behind: /usr/share/doc/hivesweep-offline"; left=1; }
status="$(dpkg-query -W -f='${Status}' hivesweep-offline 2>/dev/null)"
case "$status" in "" | *not-installed) ;; *) echo "dpkg still lists it: $status"; left=1 ;; esac
[ "$left" = 0 ] || fail "dpkg -r left the package behind"
echo "$HS_TEST_NAME: $(wc -l <"$OUT/files") files installed and removed"
rm -rf "$OUT"
pass
