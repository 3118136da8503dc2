#include "widgets/win32/Dialog.h"

#include <cstdint>
#include <vector>

#include "widgets/win32/Dpi.h"

namespace hs::ui {

namespace {

// DLGTEMPLATE followed by its variable parts: no menu, the default class, the
// caption, and the font (DS_SETFONT) that dialog units and controls use.
std::vector<WORD> EmptyTemplate(const std::wstring& caption) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
  header->style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  words.push_back(0);  // no menu
  words.push_back(0);  // the predefined dialog class
  words.insert(words.end(), caption.begin(), caption.end());
  words.push_back(0);
  words.push_back(8);  // point size
  const std::wstring font = L"MS Shell Dlg";
  words.insert(words.end(), font.begin(), font.end());
  words.push_back(0);
  return words;
}

}  // namespace

INT_PTR Dialog::runModal(HWND owner) {
  const std::vector<WORD> dialogTemplate = EmptyTemplate(m_design.caption);
  m_components.all().clear();
  m_components.add(ControlComponent(m_design.componentName, ComponentKind::Window, nullptr));
  return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr),
                                   reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                   owner, &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
}

Dialog* Dialog::FromWindow(HWND window) {
  if (!window ||
      ::GetWindowLongPtrW(window, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&Dialog::Procedure))
    return nullptr;
  return reinterpret_cast<Dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
}

INT_PTR Dialog::handleMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    endDialog(IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

void Dialog::fitClientArea() {
  RECT frame{0, 0, ScaleToWindow(m_hwnd, m_design.clientWidth),
             ScaleToWindow(m_hwnd, m_design.clientHeight)};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(m_hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Centred over the owner, or over the screen's work area without one.
  RECT around{};
  const HWND owner = ::GetWindow(m_hwnd, GW_OWNER);
  if (!owner || !::GetWindowRect(owner, &around))
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
  ::SetWindowPos(m_hwnd, nullptr, around.left + (around.right - around.left - width) / 2,
                 around.top + (around.bottom - around.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK Dialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lParam);
    self->m_hwnd = dialog;
    self->m_components.all().front().window = dialog;
    ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->fitClientArea();
    return self->onInitDialog() ? TRUE : FALSE;
  }
  auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;
  const INT_PTR handled = self->handleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
    self->m_hwnd = nullptr;
  }
  return handled;
}

}  // namespace hs::ui
