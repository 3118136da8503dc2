#!/usr/bin/env bash
# The code-page cases of the Windows tests with Wine in the Cyrillic locale,
# whose ANSI code page is 1251: Cyrillic names and data are backed up and
# restored through the real "regedit /s", "café" is refused and kept; a
# translation file saved in that page shows its captions.
# Run by scripts/test.sh inside its Wine prefix (WINEPREFIX, HS_WINE set);
# scripts/setup.sh makes the ru_RU.UTF-8 locale.
set -uo pipefail
[ -n "${HS_WINE:-}" ] || . scripts/wine-env.sh  # the wine binary; the prefix is the caller's
cd build/win64 || exit 1
LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 HS_EXPECT_ACP=1251 \
  "$HS_WINE" hivesweep-tests-win.exe --gtest_filter='AnsiCodePage*:SingleByteCodePage.*'
status=$?
wineserver -w
exit "$status"
