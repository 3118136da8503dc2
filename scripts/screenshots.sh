#!/usr/bin/env bash
# Remakes the pictures of docs/screenshots/ after a change to a window: in
# every shipped language the main window after a scan of the demo machine,
# the progress dialog during it and the summary dialog after a repair; in
# English, every other window of the guide (options with its ignore lists,
# the entry dialog, startup manager, restore dialog, the wait dialog of a
# full registry backup, About), and the installer's and uninstaller's pages.
# Runs under a private Xvfb display with a window manager (openbox), so the
# pictures show the windows' frames and title bars, and Wine's own fonts
# (fonts-wine: Tahoma, Marlett) in the controls; needs the programs
# (scripts/build.sh programs) and makes the installers when dist/ has none
# (scripts/package.sh).
#
# scripts/screenshots.sh undo makes only the pictures of taking back part of
# a repair and of switching startup entries, in English and German: the
# startup manager with the demo's disabled entry, the restore dialog and the
# item list of the repair's backup.
#
# scripts/screenshots.sh languages [NAME...] makes instead the pictures of
# docs/languages.md: the main window after a scan and the options dialog in
# each named language (every shipped one when none is named), as small
# palette PNGs in docs/languages/, and rewrites the page from what is there.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
. scripts/demo-world.sh
SHOTS=docs/screenshots
mkdir -p "$SHOTS"
for tool in openbox xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup.sh" >&2; exit 1; }
done
hs_start_display
openbox --sm-disable >/dev/null 2>&1 &
WM_PID=$!
end_window_manager() {
  kill "$WM_PID" 2>/dev/null
  wait "$WM_PID" 2>/dev/null
  return 0
}
trap 'hs_end_prefix; end_window_manager; hs_end_display' EXIT

# Keys go to the window given the focus; a closed dialog is gone at once.
CLOSE_WAIT=1.5

top_window() {  # the newest visible window other than the main one
  xdotool search --onlyvisible --name . 2>/dev/null | grep -vx "${HS_MAIN_WINDOW:-none}" | tail -n1 || true
}

keys_to() {  # keys_to WINDOW KEY...
  local window="$1"
  shift
  xdotool windowfocus --sync "$window" >/dev/null 2>&1 || true
  hs_keys "$@"
}

shoot_window() {  # shoot_window FILE.png: the top window alone
  local window
  window="$(top_window)"
  [ -n "$window" ] || { echo "no dialog on screen for $1" >&2; return 1; }
  import -frame -window "$window" "$1"  # with the window manager's frame
}

start_demo() {  # start_demo LANGUAGE: a fresh demo machine, the window in LANGUAGE
  hs_new_prefix
  hs_seed_demo build/win64
  # Wide enough that the list's Registry key column reads whole.
  printf '[Options]\r\nLan=%s\r\n[Window]\r\nLeft=40\r\nTop=40\r\nWidth=980\r\nHeight=600\r\n' \
    "$1" >"$HS_PROGRAM_DIR/options.ini"
  hs_start_gui
}

shoot_scan() {  # shoot_scan SUFFIX: during and after a scan, after its repair
  keys_to "$HS_MAIN_WINDOW" ctrl+s
  sleep 0.7  # the progress dialog shows its first task
  hs_screenshot "$SHOTS/progress-$1.png"
  hs_wait_alone 120
  sleep 2  # the list shows the last rows once the window has taken them
  hs_screenshot "$SHOTS/main-window-$1.png"
  keys_to "$HS_MAIN_WINDOW" ctrl+alt+r
  sleep 2
  hs_keys Return  # yes, make the backup folder
  sleep 4
  hs_screenshot "$SHOTS/summary-$1.png"
}

# Before the repair removes the entries whose programs are gone.
shoot_startup_manager() {
  keys_to "$HS_MAIN_WINDOW" ctrl+m
  sleep 2
  shoot_window "$SHOTS/startup-manager.png"
  keys_to "$(top_window)" alt+c
  sleep "$CLOSE_WAIT"
}

# The dialogs, opened from the English main window after its repair.
shoot_dialogs() {
  keys_to "$(top_window)" Return  # the summary's Close
  sleep "$CLOSE_WAIT"

  keys_to "$HS_MAIN_WINDOW" ctrl+o
  sleep 2
  shoot_window "$SHOTS/options-dialog.png"
  xdotool mousemove --window "$(top_window)" 105 17 click 1  # the "Ignore Lists" tab
  sleep 1
  shoot_window "$SHOTS/options-ignore-lists.png"
  keys_to "$(top_window)" alt+a
  sleep 2
  xdotool type --delay 20 'HKEY_CURRENT_USER\Software\Vendor'
  shoot_window "$SHOTS/add-to-ignore-list-dialog.png"
  keys_to "$(top_window)" alt+c  # Cancel the entry
  sleep "$CLOSE_WAIT"
  keys_to "$(top_window)" alt+c  # Cancel the options
  sleep "$CLOSE_WAIT"

  keys_to "$HS_MAIN_WINDOW" ctrl+e  # lists the repair's backup
  sleep 2
  shoot_window "$SHOTS/restore-dialog.png"
  keys_to "$(top_window)" alt+c
  sleep "$CLOSE_WAIT"

  keys_to "$HS_MAIN_WINDOW" alt+f b  # Backup Full Registry: the save dialog
  sleep 3
  keys_to "$(top_window)" ctrl+a
  xdotool type --delay 20 'C:\full-registry.reg'
  hs_keys Return
  # The wait dialog (titled as the program) shows while the editor exports.
  local hint=""
  for _ in $(seq 1 100); do
    hint="$(xdotool search --onlyvisible --name '^Corvane Hivesweep$' 2>/dev/null | head -n1 || true)"
    [ -n "$hint" ] && break
    sleep 0.1
  done
  sleep 0.5  # its bar moves
  if [ -n "$hint" ]; then
    import -frame -window "$hint" "$SHOTS/backup-hint-dialog.png"
  else
    echo "the export ended before its wait dialog showed: backup-hint-dialog.png kept" >&2
  fi
  hs_wait_alone 120

  keys_to "$HS_MAIN_WINDOW" alt+h a
  sleep 2
  shoot_window "$SHOTS/about-box.png"
  keys_to "$(top_window)" Return
  sleep "$CLOSE_WAIT"
}

# The installer's folder and finish pages, then the uninstaller's choice of
# what to remove (it copies itself away and starts again, hence the waits).
shoot_installer() {
  local setup
  setup="$(ls dist/Hivesweep-*-setup-x64.exe 2>/dev/null | head -n1)"
  [ -n "$setup" ] || { bash scripts/package.sh >/dev/null && setup="$(ls dist/Hivesweep-*-setup-x64.exe | head -n1)"; }
  hs_new_prefix
  WINEDLLOVERRIDES="winemenubuilder.exe=d" "$HS_WINE" "$setup" >/dev/null 2>&1 &
  sleep 6
  shoot_window "$SHOTS/installer-folder.png"
  keys_to "$(top_window)" Return  # Install
  sleep 6
  keys_to "$(top_window)" space  # untick "Run", so Finish starts nothing
  shoot_window "$SHOTS/installer-finish.png"
  keys_to "$(top_window)" Return
  sleep "$CLOSE_WAIT"
  "$HS_WINE" "C:\\Program Files\\Corvane Hivesweep\\uninstall.exe" >/dev/null 2>&1 &
  sleep 6
  keys_to "$(top_window)" Return  # past the confirmation
  sleep 2
  shoot_window "$SHOTS/uninstaller-choice.png"
  hs_end_prefix
}

# A picture kept small: the windows use few colours.
to_palette() {  # to_palette FILE.png
  convert "$1" -dither None -colors 64 "PNG8:$1.small" && mv "$1.small" "$1"
}

shoot_language() {  # shoot_language NAME: in the one demo prefix, reused
  local name="$1" out=docs/languages
  printf '[Options]\r\nLan=%s\r\n' "$name" >"$HS_PROGRAM_DIR/options.ini"
  hs_start_gui
  keys_to "$HS_MAIN_WINDOW" ctrl+s
  hs_wait_alone 120
  hs_screenshot "$out/$name-main-window.png"
  keys_to "$HS_MAIN_WINDOW" ctrl+o
  sleep 2
  shoot_window "$out/$name-options.png"
  keys_to "$(top_window)" Escape
  sleep "$CLOSE_WAIT"
  xdotool windowclose "$HS_MAIN_WINDOW" >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
  to_palette "$out/$name-main-window.png"
  to_palette "$out/$name-options.png"
}

write_languages_page() {
  {
    echo "# The program in every language"
    echo
    echo "The main window after a scan of the demo machine and the options dialog,"
    echo "under Wine at 96 DPI with the Noto fonts (\`scripts/screenshots.sh languages\`)."
    local picture name
    for picture in docs/languages/*-main-window.png; do
      name="$(basename "$picture" -main-window.png)"
      echo
      echo "## $name"
      echo
      echo "![$name: main window](languages/$name-main-window.png)"
      [ -f "docs/languages/$name-options.png" ] && echo "![$name: options](languages/$name-options.png)"
    done
  } >docs/languages.md
}

shoot_languages() {  # shoot_languages [NAME...]
  local names=("$@")
  [ "${#names[@]}" -gt 0 ] || mapfile -t names < <(ls lang/Lan_*.ini | sed 's|.*/Lan_||; s|\.ini$||')
  mkdir -p docs/languages
  hs_new_prefix
  hs_seed_demo build/win64
  local name
  for name in "${names[@]}"; do shoot_language "$name"; done
  hs_end_prefix
  write_languages_page
}

# The repair's backup in the restore dialog, then its item list with the
# first item ticked; reached by keys that are the same in every language.
shoot_undo() {  # shoot_undo SUFFIX
  keys_to "$HS_MAIN_WINDOW" ctrl+m
  sleep 2
  shoot_window "$SHOTS/startup-manager-$1.png"
  keys_to "$(top_window)" Escape
  sleep "$CLOSE_WAIT"
  keys_to "$HS_MAIN_WINDOW" ctrl+s
  hs_wait_alone 120
  keys_to "$HS_MAIN_WINDOW" ctrl+alt+r
  sleep 2
  hs_keys Return  # yes, make the backup folder
  sleep 4
  local left
  for _ in 1 2 3; do  # the summary, then the list of rows not repaired
    left="$(top_window)"
    [ -n "$left" ] || break
    keys_to "$left" Escape
    sleep "$CLOSE_WAIT"
  done
  keys_to "$HS_MAIN_WINDOW" ctrl+e
  sleep 2
  keys_to "$(top_window)" Down  # the list has the focus: its first file
  sleep 0.5
  shoot_window "$SHOTS/restore-dialog-$1.png"
  hs_keys Tab Tab Tab space  # Restore, Open Directory, then "Show items"
  sleep 3
  keys_to "$(top_window)" Down space Down Down space
  sleep 0.5
  shoot_window "$SHOTS/restore-items-$1.png"
  keys_to "$(top_window)" Escape
  sleep "$CLOSE_WAIT"
  keys_to "$(top_window)" Escape
  sleep "$CLOSE_WAIT"
}

if [ "${1:-}" = undo ]; then
  for language in English:en German:de; do
    start_demo "${language%%:*}"
    shoot_undo "${language##*:}"
    hs_end_prefix
  done
  exit 0
fi

if [ "${1:-}" = languages ]; then
  shift
  shoot_languages "$@"
  exit 0
fi

shoot_installer
start_demo English
shoot_startup_manager
shoot_scan en
shoot_dialogs
hs_end_prefix
for language in German:de French:fr Spanish:es; do
  start_demo "${language%%:*}"
  shoot_scan "${language##*:}"
  hs_end_prefix
done
ls -l "$SHOTS"
