# Sourced by the scripts that run Windows programs: a fresh Wine prefix in a
# temporary folder, quiet Wine, and clean-up of Wine's background server.
# Wine's background processes inherit output handles, so callers send Wine's
# output to files.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
HS_WINE="$(command -v wine64 || command -v wine)"

hs_new_prefix() {
  hs_prefix_folder
  hs_boot_prefix
}

# The two halves of hs_new_prefix, for a caller that boots the prefix in the
# background while it does something else: the folder (and the variables
# that name it) first, in the caller's shell; then Wine's first start in it.
hs_prefix_folder() {
  WINEPREFIX="$(mktemp -d /tmp/hivesweep-wine.XXXXXX)"
  export WINEPREFIX
  # Wine's Recycle Bin is the desktop's trash folder: one of the prefix's own,
  # so tests see only what they put there and leave nothing behind.
  export XDG_DATA_HOME="$WINEPREFIX/xdg-data"
  mkdir -p "$XDG_DATA_HOME"
}

hs_boot_prefix() {
  "$HS_WINE" wineboot -i >"$WINEPREFIX/wineboot.log" 2>&1 || true
  hs_link_fonts
  hs_windows_without_manager
  wineserver -w 2>/dev/null || true
}

# On a display without a window manager, Wine waits up to 2 s at each hide or
# close of a top-level window for a manager that never answers; the tests'
# windows would spend most of their time there. Wine then places the windows
# itself ("Managed" off). Scripts that run a manager (HS_WINDOW_MANAGER=1) or
# the caller's own display (HS_USE_DISPLAY=1) keep Wine's default.
hs_windows_without_manager() {
  [ "${HS_WINDOW_MANAGER:-0}" != 1 ] && [ "${HS_USE_DISPLAY:-0}" != 1 ] || return 0
  "$HS_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$WINEPREFIX/wineboot.log" 2>&1 || true
}

# Wine's window fonts (Tahoma and the dialog fonts that stand for it) hold
# Latin, Greek and Cyrillic only; as on Windows, their glyphs for Chinese,
# Japanese, Korean and Arabic come from linked fonts: here the Noto fonts
# scripts/setup.sh installs. Without them those texts show as boxes.
hs_link_fonts() {
  local links='NotoSansCJK-Regular.ttc,Noto Sans CJK JP\0NotoSansArabic-Regular.ttf,Noto Sans Arabic\0wqy-microhei.ttc,WenQuanYi Micro Hei'
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  local face
  for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
    "$HS_WINE" reg add "$key" /v "$face" /t REG_MULTI_SZ /d "$links" /f >>"$WINEPREFIX/wineboot.log" 2>&1 || true
  done
}

# Wine 8 shapes right-to-left text with the control's own font alone, without
# its linked fonts, and Wine's Tahoma has no Arabic letters: they would show
# as boxes. Windows' Tahoma and Microsoft Sans Serif have them; here DejaVu
# Sans Condensed, of about Tahoma's width, stands in for both while a program
# in Arabic script runs (`hs_script_fonts rtl`), and Wine's own fonts come
# back after (`hs_script_fonts`).
hs_script_fonts() {
  local key='HKCU\Software\Wine\Fonts\Replacements' face
  for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
    if [ "${1:-}" = rtl ]; then
      "$HS_WINE" reg add "$key" /v "$face" /t REG_SZ /d "DejaVu Sans Condensed" /f
    else
      "$HS_WINE" reg delete "$key" /v "$face" /f
    fi
  done >>"$WINEPREFIX/wineboot.log" 2>&1
  wineserver -w 2>/dev/null || true
}

hs_end_prefix() {
  wineserver -k 2>/dev/null || true
  [ -n "${WINEPREFIX:-}" ] && [ "${HS_KEEP_PREFIX:-0}" != 1 ] && rm -rf "$WINEPREFIX"
  return 0
}

# Windows need an X display under Wine. hs_start_display starts a private
# Xvfb on a free display number for the Wine runs that follow (set
# HS_USE_DISPLAY=1 to use your own display instead); hs_end_display stops it
# after hs_end_prefix has ended Wine's server.
hs_start_display() {
  HS_XVFB_PID=""
  if [ "${HS_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
  command -v Xvfb >/dev/null || { echo "Xvfb is missing: run scripts/setup.sh" >&2; return 1; }
  local numberFile
  numberFile="$(mktemp /tmp/hivesweep-display.XXXXXX)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" 2>/dev/null &
  HS_XVFB_PID=$!
  local tries=0
  while [ ! -s "$numberFile" ] && [ "$tries" -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
  [ -s "$numberFile" ] || { rm -f "$numberFile"; echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$numberFile")"
  rm -f "$numberFile"
}

hs_end_display() {
  if [ -n "${HS_XVFB_PID:-}" ]; then
    kill "$HS_XVFB_PID" 2>/dev/null
    wait "$HS_XVFB_PID" 2>/dev/null
  fi
  HS_XVFB_PID=""
  return 0
}
