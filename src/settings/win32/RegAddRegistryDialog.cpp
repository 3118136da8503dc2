#include "settings/win32/RegAddRegistryDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include "platform/win32/WideText.h"
#include "settings/OptionsRules.h"
#include "translation/Translation.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::win32 {

namespace {

constexpr int kLabel1 = 1201;
constexpr int kLabel2 = 1204;

// The system's registry editor by its full path: an entry typed here may
// come from an elevated program, which must never start a "regedit.exe"
// that the search path happens to find first.
std::wstring SystemRegistryEditor() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  return path + L"regedit.exe";
}

class TfrmRegAddRegistry : public ui::Dialog {
 public:
  explicit TfrmRegAddRegistry(const RegAddRegistryInput& input)
      : ui::Dialog({"frmRegAddRegistry", L"Add to Ignore List", 460, 150}), m_input(input) {}
  const std::optional<std::string>& Entry() const { return m_entry; }

 protected:
  bool onInitDialog() override {
    add({WC_STATICW, "Label1", ui::ComponentKind::Captioned, L"Registry Key", SS_LEFT, 0, 12, 16,
         240, 20, kLabel1});
    add({WC_BUTTONW, "bLaunchRegedit", ui::ComponentKind::Captioned, L"&Launch Registry Editor",
         BS_PUSHBUTTON | WS_TABSTOP, 0, 268, 10, 180, 28, kRegAddLaunchRegedit});
    const HWND edit =
        add({WC_EDITW, "eRegistryKey", ui::ComponentKind::Untranslated, Widen(m_input.entry),
             ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 12, 46, 436, 24, kRegAddRegistryKey});
    add({WC_STATICW, "Label2", ui::ComponentKind::Captioned,
         L"Enter the value or key like: HKEY_CURRENT_USER\\Software\\Microsoft", SS_LEFT, 0, 12, 78,
         436, 20, kLabel2});
    add({WC_BUTTONW, "bOK", ui::ComponentKind::Captioned, L"&OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0,
         264, 112, 88, 28, IDOK});
    add({WC_BUTTONW, "bCancel", ui::ComponentKind::Captioned, L"&Cancel",
         BS_PUSHBUTTON | WS_TABSTOP, 0, 360, 112, 88, 28, IDCANCEL});
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    onEntryChange();
    ::SetFocus(edit);
    return false;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_COMMAND) return ui::Dialog::handleMessage(message, wParam, lParam);
    const int id = LOWORD(wParam);
    if (id == kRegAddRegistryKey && HIWORD(wParam) == EN_CHANGE) {
      onEntryChange();
      return TRUE;
    }
    if (id == IDOK) {
      onOK();
      return TRUE;
    }
    if (id == kRegAddLaunchRegedit) {
      onLaunchRegedit();
      return TRUE;
    }
    return ui::Dialog::handleMessage(message, wParam, lParam);
  }

 private:
  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }
  std::string EntryText() const {
    return Narrow(ui::WindowText(::GetDlgItem(hwnd(), kRegAddRegistryKey)));
  }

  void onEntryChange() {
    ::EnableWindow(::GetDlgItem(hwnd(), IDOK), IsIgnoreEntryAcceptable(EntryText()));
  }

  // Enter reaches here even while OK is greyed, so the rule is asked again.
  void onOK() {
    const std::string entry = EntryText();
    if (!IsIgnoreEntryAcceptable(entry)) return;
    m_entry = entry;
    endDialog(IDOK);
  }

  // The editor opens beside this dialog, which stays open; a failure to
  // start it is not reported.
  void onLaunchRegedit() {
    const std::wstring editor = SystemRegistryEditor();
    if (!editor.empty())
      ::ShellExecuteW(hwnd(), L"open", editor.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }

  const RegAddRegistryInput& m_input;
  std::optional<std::string> m_entry;
};

}  // namespace

std::optional<std::string> RegAddRegistryDialog(HWND owner, const RegAddRegistryInput& input) {
  TfrmRegAddRegistry dialog(input);
  dialog.runModal(owner);
  return dialog.Entry();
}

}  // namespace hs::win32
