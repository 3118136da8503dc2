#!/usr/bin/env bash
# The DPI cases of the Windows tests with Wine's screen at 144 DPI: the main
# window's first start opens at 1.5 times the designed size, and a move to a
# monitor of 96 DPI scales it back; every translated text still fits its
# control (one program run for both, as Wine starts slowly). Run by
# scripts/test.sh inside its Wine prefix (WINEPREFIX, HS_WINE set); the
# prefix's DPI is put back after.
set -uo pipefail
[ -n "${HS_WINE:-}" ] || . scripts/wine-env.sh  # the wine binary; the prefix is the caller's
cd build/win64 || exit 1
desktop='HKCU\Control Panel\Desktop'
"$HS_WINE" reg add "$desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -w
HS_EXPECT_DPI=144 "$HS_WINE" hivesweep-tests-win.exe \
  --gtest_filter='MainWindowTest.FirstStartSizeAndMoveToAnotherDpiFollowTheMonitor:TranslationsFitTest.*'
status=$?
wineserver -w
"$HS_WINE" reg add "$desktop" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
wineserver -w
exit "$status"
