#pragma once
// What other programs know of the main window: its class name (a second
// start finds the running copy by it) and its private messages (numbers
// fixed).
#include <windows.h>

namespace hs::mainwindow {

inline constexpr const wchar_t* kMainWindowClassName =
    L"Corvane Hivesweep Made by Corvane Software";

constexpr UINT WM_SHOW_MAIN = 0x2410;
constexpr UINT WM_CLEAN_ONCE = 0x2411;

}  // namespace hs::mainwindow
