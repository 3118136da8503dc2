#!/usr/bin/env bash
# Remakes the pictures of docs/screenshots/ after a change to a window: the
# main window after a scan of the demo machine, the progress dialog during
# it and the summary dialog after a repair, in English and in German. Runs
# under a private Xvfb display; needs the programs (scripts/build.sh programs).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
. scripts/demo-world.sh
SHOTS=docs/screenshots
mkdir -p "$SHOTS"
hs_start_display
trap 'hs_end_prefix; hs_end_display' EXIT

shoot() {  # shoot LANGUAGE SUFFIX
  hs_new_prefix
  hs_seed_demo build/win64
  printf '[Options]\r\nLan=%s\r\n' "$1" >"$HS_PROGRAM_DIR/options.ini"
  hs_start_gui
  hs_keys ctrl+s
  sleep 0.7  # the progress dialog shows its first task
  hs_screenshot "$SHOTS/progress-$2.png"
  hs_wait_alone 120
  hs_screenshot "$SHOTS/main-window-$2.png"
  hs_keys ctrl+alt+r
  sleep 2
  hs_keys Return  # yes, make the backup folder
  sleep 4
  hs_screenshot "$SHOTS/summary-$2.png"
  hs_end_prefix
}

shoot English en
shoot German de
ls -l "$SHOTS"
