#pragma once
// Helpers for tests that create real windows under Wine (which needs an X
// display: scripts/test.sh runs the Windows tests inside Xvfb).
#include <windows.h>

#include <string>
#include <string_view>

#include "widgets/win32/ComponentRegistry.h"

namespace hs::test {

// Dispatches every message waiting for this thread, until none is left.
inline void PumpUntilIdle() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// The control registered under `name`; null when there is none.
inline HWND FindControl(const ui::ComponentRegistry& window, std::string_view name) {
  const ui::Component* component = window.find(name);
  return component ? component->window : nullptr;
}

inline std::wstring MenuItemText(HMENU menu, UINT id, UINT by = MF_BYCOMMAND) {
  wchar_t buffer[256] = {};
  ::GetMenuStringW(menu, id, buffer, 256, by);
  return buffer;
}

}  // namespace hs::test
