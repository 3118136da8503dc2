#pragma once
// Sizes are written for 96 DPI and scaled to the DPI of the monitor a window
// is on (the program is per-monitor DPI aware).
#include <windows.h>

namespace hs::ui {

// The DPI of `window`'s monitor (GetDpiForWindow, Windows 10 1607 on), else
// the screen's logical DPI.
UINT WindowDpi(HWND window);
int ScaleToWindow(HWND window, int pixelsAt96);

}  // namespace hs::ui
