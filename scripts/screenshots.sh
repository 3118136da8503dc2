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
# scripts/screenshots.sh evidence makes only the pictures of a row's
# evidence (status bar and "Details...") in English and German.
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
export HS_WINDOW_MANAGER=1  # the prefixes below leave the windows to it
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

# A busy machine opens a dialog late: up to $1 seconds for one to show.
wait_for_dialog() {  # wait_for_dialog SECONDS
  local tenths=$(($1 * 10))
  while [ -z "$(top_window)" ] && [ "$tenths" -gt 0 ]; do
    sleep 0.1
    tenths=$((tenths - 1))
  done
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

reads_right_to_left() {  # reads_right_to_left NAME: its file says so
  iconv -f UTF-16 -t UTF-8 "lang/Lan_$1.ini" | grep -c '^ReadingOrder=RightToLeft' >/dev/null
}

# Wine draws letters of Latin Extended-A and -B (č, ş, ő...) and Greek in
# our windows as boxes, though Windows' Tahoma has them: those languages,
# like the right-to-left ones, are pictured with the stand-in font.
needs_stand_in_font() {  # needs_stand_in_font NAME
  reads_right_to_left "$1" ||
    iconv -f UTF-16 -t UTF-8 "lang/Lan_$1.ini" | grep -qP '[\x{0100}-\x{03FF}]'
}

shoot_language() {  # shoot_language NAME: in the one demo prefix, reused
  local name="$1" out=docs/languages
  printf '[Options]\r\nLan=%s\r\n' "$name" >"$HS_PROGRAM_DIR/options.ini"
  needs_stand_in_font "$name" && hs_script_fonts rtl
  hs_start_gui
  keys_to "$HS_MAIN_WINDOW" ctrl+s
  wait_for_dialog 20  # the scan's progress dialog
  hs_wait_alone 120
  sleep 2  # the list shows the last rows once the window has taken them
  hs_screenshot "$out/$name-main-window.png"
  keys_to "$HS_MAIN_WINDOW" ctrl+o
  wait_for_dialog 20
  sleep 1  # its controls are drawn
  shoot_window "$out/$name-options.png"
  keys_to "$(top_window)" Escape
  sleep "$CLOSE_WAIT"
  # Closed as a user would (an X window destroyed under it leaves the program
  # running, and Wine's server waiting for it).
  keys_to "$HS_MAIN_WINDOW" alt+F4
  timeout 60 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
  needs_stand_in_font "$name" && hs_script_fonts
  to_palette "$out/$name-main-window.png"
  to_palette "$out/$name-options.png"
}

# The page's own text is kept down to its marker line; the pictures after it
# are listed anew from what is in docs/languages/.
LANGUAGES_MARKER='<!-- pictures: scripts/screenshots.sh languages -->'
write_languages_page() {
  local page=docs/languages.md kept
  kept="$(awk -v marker="$LANGUAGES_MARKER" '$0 == marker { exit } { print }' "$page" 2>/dev/null || true)"
  {
    [ -n "$kept" ] && printf '%s\n\n' "$kept"
    echo "$LANGUAGES_MARKER"
    local picture name
    for picture in docs/languages/*-main-window.png; do
      name="$(basename "$picture" -main-window.png)"
      echo
      echo "### $name"
      echo
      echo "![$name: main window](languages/$name-main-window.png)"
      [ -f "docs/languages/$name-options.png" ] && echo "![$name: options](languages/$name-options.png)"
    done
  } >"$page.new"
  mv "$page.new" "$page"
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

# The focused row's evidence in the status bar, then its "Details..." from
# the list's context menu (KEY: that item's access key in LANGUAGE).
shoot_evidence() {  # shoot_evidence LANGUAGE SUFFIX KEY
  start_demo "$1"
  keys_to "$HS_MAIN_WINDOW" ctrl+s
  hs_wait_alone 120
  sleep 2
  xdotool mousemove --window "$HS_MAIN_WINDOW" 560 250 click 1  # a row's Problem cell
  sleep 1
  hs_screenshot "$SHOTS/evidence-panel-$2.png"
  keys_to "$HS_MAIN_WINDOW" shift+F10
  sleep 1
  hs_keys "$3"
  sleep 2
  shoot_window "$SHOTS/evidence-details-$2.png"
  keys_to "$(top_window)" Escape
  sleep "$CLOSE_WAIT"
  hs_end_prefix
}

if [ "${1:-}" = evidence ]; then
  shoot_evidence English en d
  shoot_evidence German de h
  exit 0
fi

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
shoot_evidence English en d
shoot_evidence German de h
for language in German:de French:fr Spanish:es; do
  start_demo "${language%%:*}"
  shoot_scan "${language##*:}"
  hs_end_prefix
done
ls -l "$SHOTS"
