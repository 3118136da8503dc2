# Sourced by the scripts that run Windows programs: a fresh Wine prefix in a
# temporary folder, quiet Wine, and clean-up of Wine's background server.
# Wine's background processes inherit output handles, so callers send Wine's
# output to files.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
HS_WINE="$(command -v wine64 || command -v wine)"

hs_new_prefix() {
  WINEPREFIX="$(mktemp -d /tmp/hivesweep-wine.XXXXXX)"
  export WINEPREFIX
  "$HS_WINE" wineboot -i >"$WINEPREFIX/wineboot.log" 2>&1 || true
  wineserver -w 2>/dev/null || true
}

hs_end_prefix() {
  wineserver -k 2>/dev/null || true
  [ -n "${WINEPREFIX:-}" ] && [ "${HS_KEEP_PREFIX:-0}" != 1 ] && rm -rf "$WINEPREFIX"
  return 0
}
