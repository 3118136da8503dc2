#pragma once
// Which WM_COMMAND messages are commands to run: a menu item (code 0) or an
// accelerator (code 1), both with no control, and a control's click
// (BN_CLICKED, the same value as STN_CLICKED). A control's other
// notifications (a static's STN_DBLCLK is 1 as well) are not commands, so a
// double click on a link does not run it twice.
#include <windows.h>

namespace hs::ui {

inline bool IsCommandToRun(WPARAM wParam, LPARAM lParam) {
  const UINT code = HIWORD(wParam);
  if (lParam == 0) return code == 0 || code == 1;
  static_assert(BN_CLICKED == STN_CLICKED);
  return code == BN_CLICKED;
}

}  // namespace hs::ui
