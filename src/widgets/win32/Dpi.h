#pragma once
// Sizes are written for 96 DPI and scaled to the DPI of the monitor a window
// is on (the program is per-monitor DPI aware).
#include <windows.h>

#include <optional>

namespace hs::ui {

// The DPI of `window`'s monitor (GetDpiForWindow, Windows 10 1607 on), else
// the screen's logical DPI.
UINT WindowDpi(HWND window);
int ScaleToWindow(HWND window, int pixelsAt96);
int ScaleToDpi(int pixelsAt96, UINT dpi);

// The DPIs a window follows; a WM_DPICHANGED outside them (another program
// may send one) is ignored.
inline constexpr UINT kLeastDpi = 48;
inline constexpr UINT kMostDpi = 960;
bool IsUsableDpi(UINT dpi);

// The rectangle WM_DPICHANGED suggests, copied through a checked read: the
// message may come from another program with any number as its lParam.
std::optional<RECT> SuggestedWindowRect(LPARAM lParam);

}  // namespace hs::ui
