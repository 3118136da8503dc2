#!/usr/bin/env bash
# The shortcut scan over a desktop that holds folder links back to itself,
# twice at every level, as real symbolic links of the Unix side (Wine lists
# them as reparse points). Followed, the walk would grow as 2^depth and never
# end; it must finish, and end well.
# Run by scripts/test.sh inside its Wine prefix (WINEPREFIX, HS_WINE set).
set -uo pipefail
[ -n "${HS_WINE:-}" ] || . scripts/wine-env.sh
CLI=build/win64/hivesweep-cli.exe
OUT="$(mktemp -d /tmp/hivesweep-link-loop.XXXXXX)"

. tests/win32/lib/script-test.sh

[ -f "$CLI" ] || fail "missing $CLI"
desktop_of() {  # the Unix path of the user's desktop folder in this prefix
  local users="$WINEPREFIX/drive_c/users"
  local user
  user="$(ls "$users" | grep -vx Public | head -n1)"
  echo "$users/$user/Desktop"
}
DESKTOP="$(desktop_of)"
SAVED="$OUT/desktop-was"
mv "$DESKTOP" "$SAVED" || fail "cannot move $DESKTOP aside"
restore() { rm -rf "$DESKTOP"; mv "$SAVED" "$DESKTOP"; }
trap restore EXIT

mkdir -p "$DESKTOP/Sub"
ln -s "$DESKTOP" "$DESKTOP/Sub/up1"
ln -s "$DESKTOP" "$DESKTOP/Sub/up2"
"$HS_WINE" "$CLI" scan --sections 17 >"$OUT/before.out" 2>"$OUT/before.err" &
pid=$!
for _ in $(seq 1 120); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 1
done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  wineserver -k
  fail "the shortcut scan did not finish within 120 s over a folder loop"
fi
wait "$pid" || fail "the shortcut scan failed: $(cat "$OUT/before.err")"
wineserver -w
pass
