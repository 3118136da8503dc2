#include "widgets/win32/ReadingOrder.h"

#include <windows.h>

#include <set>

#include "widgets/win32/StatusBar.h"

namespace hs::ui {

namespace {

bool ShowsTranslatedText(ComponentKind kind) {
  return kind != ComponentKind::Untranslated && kind != ComponentKind::MenuItem &&
         kind != ComponentKind::MenuSeparator;
}

bool IsStatusBar(ComponentKind kind) {
  return kind == ComponentKind::StatusBarPanels || kind == ComponentKind::StatusBarSimple;
}

void SetExtendedStyle(HWND window, LONG_PTR flags, bool on) {
  const LONG_PTR before = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  const LONG_PTR after = on ? (before | flags) : (before & ~flags);
  if (after == before) return;
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, after);
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  ::InvalidateRect(window, nullptr, TRUE);
}

// Wine keeps its mark of the system menu in the bit that Windows gives an
// item's MFT_RIGHTORDER (both 0x2000), and neither measures nor draws a
// marked item: the menus would show empty. There they keep their reading
// order; every other text still turns.
bool SystemDrawsRightOrderMenus() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return !ntdll || !::GetProcAddress(ntdll, "wine_get_version");
}

void SetMenuReadingOrder(HMENU menu, bool rightToLeft) {
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE;
    if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item)) continue;
    item.fType = rightToLeft ? (item.fType | MFT_RIGHTORDER) : (item.fType & ~MFT_RIGHTORDER);
    ::SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
  }
}

}  // namespace

void ApplyReadingOrder(ComponentRegistry& window, bool rightToLeft) {
  std::set<HMENU> menus;
  for (const Component& component : window.all()) {
    if (component.menu) menus.insert(component.menu);
    if (!component.window || !ShowsTranslatedText(component.kind)) continue;
    // A static's or a button's text goes to the right edge; the window's own
    // caption and the list and tree views only change their reading order.
    const bool aligns = component.kind == ComponentKind::Captioned;
    SetExtendedStyle(component.window, WS_EX_RTLREADING | (aligns ? WS_EX_RIGHT : 0), rightToLeft);
    if (IsStatusBar(component.kind)) StatusBar(component.window).takeReadingOrder();
  }
  const bool menusTurn = SystemDrawsRightOrderMenus();
  for (const HMENU menu : menus) SetMenuReadingOrder(menu, rightToLeft && menusTurn);
}

}  // namespace hs::ui
