# Sourced by scripts/demo.sh and scripts/screenshots.sh: the demo machine in
# the current Wine prefix. The programs live in their own folder, as
# installed, so that options.ini and the backups stay inside the prefix;
# what is still installed on the demo machine is created, and demo/demo.reg
# is imported (after the prefix has booted, so that Wine does not try to
# start its Run entries).
hs_seed_demo() {  # hs_seed_demo BUILD_DIR
  local build="$1"
  C="$WINEPREFIX/drive_c"
  HS_PROGRAM_DIR="$C/Program Files/Corvane Hivesweep"
  mkdir -p "$HS_PROGRAM_DIR" "$C/Program Files/Acme Editor/help" \
    "$C/Program Files/Common Files/Acme" "$C/users/Public/Documents"
  cp "$build/hivesweep.exe" "$build/hivesweep-cli.exe" "$build"/Lan_*.ini "$HS_PROGRAM_DIR/"
  printf 'MZ' >"$C/Program Files/Acme Editor/editor.exe"
  printf 'MZ' >"$C/Program Files/Common Files/Acme/acmecore.dll"
  printf 'notes\r\n' >"$C/users/Public/Documents/notes.txt"
  "$HS_WINE" regedit /s demo/demo.reg >"$WINEPREFIX/demo-regedit.log" 2>&1
  wineserver -w
}

# Starts the GUI program and waits for its main window; sets HS_MAIN_WINDOW
# to its X window id. Output goes to a file (Wine's background processes
# inherit output handles).
hs_start_gui() {
  "$HS_WINE" "$HS_PROGRAM_DIR/hivesweep.exe" >"$WINEPREFIX/gui.log" 2>&1 &
  HS_MAIN_WINDOW=""
  local tries=0
  while [ -z "$HS_MAIN_WINDOW" ] && [ "$tries" -lt 120 ]; do
    sleep 0.5
    tries=$((tries + 1))
    HS_MAIN_WINDOW="$(xdotool search --name '^Corvane Hivesweep 2\.8$' 2>/dev/null | head -n1 || true)"
  done
  [ -n "$HS_MAIN_WINDOW" ] || { echo "the main window did not appear" >&2; return 1; }
  sleep 1
  xdotool windowactivate --sync "$HS_MAIN_WINDOW" >/dev/null 2>&1 || true
}

# Presses keys in the window that has the focus (the GUI's accelerators).
hs_keys() { xdotool key --delay 100 "$@"; }

# Waits until no window but the main one is on screen (a scan's progress
# dialog has closed), at most $1 seconds.
hs_wait_alone() {
  local limit="$1" waited=0
  sleep 1
  while [ "$waited" -lt "$limit" ]; do
    [ "$(xdotool search --onlyvisible --name "." 2>/dev/null | wc -l || true)" -le 1 ] && return 0
    sleep 1
    waited=$((waited + 1))
  done
  return 1
}

# A picture of what is on the screen, cut to the windows on it.
hs_screenshot() {  # hs_screenshot FILE.png
  import -window root "$1.full.png" && convert "$1.full.png" -trim +repage "$1" && rm -f "$1.full.png"
}
