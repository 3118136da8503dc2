#include "mainwindow/win32/NotRepairedDialog.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"
#include "repair/NotRepairedReport.h"
#include "widgets/win32/Clipboard.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/ListView.h"

namespace hs::win32 {
namespace {

class TfrmNotRepaired : public ui::Dialog {
 public:
  explicit TfrmNotRepaired(const NotRepairedInput& input)
      : ui::Dialog({"frmNotRepaired", L"Corvane Hivesweep", 640, 330}), m_input(input) {}

 protected:
  bool onInitDialog() override {
    add({WC_STATICW, "lHeading", ui::ComponentKind::Untranslated,
         Widen(NotRepairedHeading(m_input.rows)), SS_LEFT, 0, 10, 10, 620, 20,
         kNotRepairedHeading});
    fillList(add({WC_LISTVIEWW, "lvNotRepaired", ui::ComponentKind::Untranslated, L"",
                  LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, 10,
                  36, 620, 240, kNotRepairedList}));
    add({WC_BUTTONW, "bCopy", ui::ComponentKind::Untranslated, L"&Copy", WS_TABSTOP, 0, 430, 290,
         90, 28, kNotRepairedCopy});
    const HWND close = add({WC_BUTTONW, "bClose", ui::ComponentKind::Untranslated, L"&Close",
                            BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 540, 290, 90, 28, kNotRepairedClose});
    ::SetFocus(close);
    return false;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && LOWORD(wParam) == kNotRepairedCopy &&
        HIWORD(wParam) == BN_CLICKED) {
      onCopy();
      return TRUE;
    }
    return ui::Dialog::handleMessage(message, wParam, lParam);
  }

 private:
  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }

  void fillList(HWND handle) {
    ui::ListView list(handle);
    list.setExtendedStyle(LVS_EX_FULLROWSELECT);
    list.addColumn(L"Registry key", 250);
    list.addColumn(L"Value", 120);
    list.addColumn(L"Reason", 230);
    for (const NotRepaired& row : m_input.rows) {
      const int index = list.appendRow(Widen(row.row.KeyPath));
      list.setText(index, 1, Widen(row.row.ValueText));
      list.setText(index, 2, Widen(row.reason));
    }
  }

  void onCopy() {
    const std::wstring table = Widen(NotRepairedTable(m_input.rows));
    if (m_input.copy ? m_input.copy(hwnd(), table) : ui::CopyTextToClipboard(hwnd(), table)) return;
    ::MessageBoxW(hwnd(), L"The list could not be put on the clipboard.", L"Corvane Hivesweep",
                  MB_OK | MB_ICONERROR);
  }

  const NotRepairedInput& m_input;
};

}  // namespace

void NotRepairedDialog(HWND owner, const NotRepairedInput& input) {
  TfrmNotRepaired dialog(input);
  dialog.runModal(owner);
}

}  // namespace hs::win32
