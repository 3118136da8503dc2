#include "widgets/win32/Dpi.h"

#include "widgets/DpiScaling.h"
#include "widgets/win32/GuiHandles.h"

namespace hs::ui {

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  // Looked up at run time: older systems lack it.
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi) return dpi;
  }
  const WindowDc screen(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

int ScaleToWindow(HWND window, int pixelsAt96) {
  return ScaleToDpi(pixelsAt96, WindowDpi(window));
}

int ScaleToDpi(int pixelsAt96, UINT dpi) {
  return RescaledForDpi(pixelsAt96, kDesignDpi, static_cast<int>(dpi));
}

bool IsUsableDpi(UINT dpi) {
  return dpi >= kLeastDpi && dpi <= kMostDpi;
}

std::optional<RECT> SuggestedWindowRect(LPARAM lParam) {
  if (!lParam) return std::nullopt;
  RECT rect{};
  SIZE_T copied = 0;
  // A bad address fails the read instead of ending the program.
  if (!::ReadProcessMemory(::GetCurrentProcess(), reinterpret_cast<const void*>(lParam), &rect,
                           sizeof rect, &copied) ||
      copied != sizeof rect)
    return std::nullopt;
  if (rect.right <= rect.left || rect.bottom <= rect.top) return std::nullopt;
  return rect;
}

}  // namespace hs::ui
