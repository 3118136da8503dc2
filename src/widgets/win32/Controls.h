#pragma once
// Creating a window's child controls so that each is registered under its
// component name, and reading and writing a window's text.
#include <windows.h>

#include <string>

#include "widgets/ControlRect.h"
#include "widgets/win32/ComponentRegistry.h"
#include "widgets/win32/GuiHandles.h"

namespace hs::ui {

struct ControlLayout {
  const wchar_t* className = nullptr;  // WC_BUTTON, WC_LISTVIEW, STATUSCLASSNAME...
  std::string name{};                  // component name
  ComponentKind kind = ComponentKind::Untranslated;
  std::wstring text{};
  DWORD style = 0;  // WS_CHILD | WS_VISIBLE are always added
  DWORD exStyle = 0;
  int left = 0, top = 0, width = 0, height = 0;  // pixels at 96 DPI
  int id = 0;                                    // the control id in WM_COMMAND / WM_NOTIFY
  HFONT font = nullptr;  // none: the parent's font, else the default GUI font
};

// Creates the control on `parent`, registers it and returns it; null when
// the control could not be created or its name is taken.
HWND AddControl(HWND parent, ComponentRegistry& registry, const ControlLayout& design);

// Where `control` is in `parent`'s client area, in pixels.
ControlRect RectInParent(HWND control, HWND parent);

std::wstring WindowText(HWND window);
void SetWindowTextOf(HWND window, const std::wstring& text);

// The font of message boxes in the system's current settings, for controls,
// at `dpi` (a window's own, which may differ from the system's).
UniqueHfont CreateMessageFont(UINT dpi);

}  // namespace hs::ui
