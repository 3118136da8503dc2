#pragma once
// Base of the program's modal dialogs. The dialog is built from an empty
// in-memory template (caption and client size only); its controls are
// created in code in onInitDialog through the same helpers as a window's,
// so they are registered under their component names and translate the
// same way. The object is reachable from WM_INITDIALOG on (DWLP_USER).
// A dialog takes its inputs and hands back its results through plain fields
// of its derived class; its logic lives in the engine.
#include <windows.h>

#include <string>

#include "widgets/win32/ComponentRegistry.h"

namespace hs::ui {

struct DialogLayout {
  std::string componentName;  // the dialog's name in translation files
  std::wstring caption{};
  int clientWidth = 300;  // pixels at 96 DPI; scaled to the dialog's DPI
  int clientHeight = 200;
};

class Dialog {
 public:
  explicit Dialog(DialogLayout design) : m_design(std::move(design)) {}
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog() = default;

  // Shows the dialog modally over `owner` (disabled meanwhile) and returns
  // the result given to endDialog, or -1 when the dialog could not be made.
  INT_PTR runModal(HWND owner);

  HWND hwnd() const { return m_hwnd; }
  // The dialog object behind a window this class made; null for any other
  // window (tests reach a running modal dialog's components through it).
  static Dialog* FromWindow(HWND window);
  ComponentRegistry& components() { return m_components; }
  const ComponentRegistry& components() const { return m_components; }

 protected:
  // Creates the controls. Return false to leave the focus where it was set.
  virtual bool onInitDialog() { return true; }
  // Handles one message after WM_INITDIALOG; TRUE when handled (the
  // dialog procedure's contract). The default handles nothing except the
  // Cancel command (Esc, the close box), which ends the dialog with IDCANCEL.
  virtual INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void endDialog(INT_PTR result) { ::EndDialog(m_hwnd, result); }

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void fitClientArea();

  DialogLayout m_design;
  HWND m_hwnd = nullptr;
  ComponentRegistry m_components;
};

}  // namespace hs::ui
