#include "mainwindow/win32/ShowHintDialog.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/WideText.h"
#include "settings/CountedMessage.h"
#include "translation/Translation.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::win32 {

namespace {

constexpr int kGroupBox = 1000;
constexpr int kFirstComment = 1002;

class TfrmShowHint : public ui::Dialog {
 public:
  explicit TfrmShowHint(const ShowHintInput& input)
      : ui::Dialog({"frmShowHint", L"Corvane Hivesweep", 500, 190}), m_input(input) {
    m_output.showHint = input.showHint;
  }
  const ShowHintOutput& Output() const { return m_output; }

 protected:
  bool onInitDialog() override {
    add({WC_BUTTONW, "GroupBox1", ui::ComponentKind::Captioned, L"", BS_GROUPBOX, 0, 10, 6, 480,
         130, kGroupBox});
    // The sentence is built from message texts with the count: a fixed text
    // from the window's section would replace the number.
    add({WC_STATICW, "Label1", ui::ComponentKind::Untranslated,
         Widen(ShowHintSentence(m_input.translation, m_input.processedCount)), SS_LEFT, 0, 22, 28,
         456, 20, kShowHintLabel1});
    const wchar_t* const comments[] = {
        L"Comments: Some registry keys or values will be created automatically",
        L"or be locked by the system or some software. So if you have those keys",
        L"or values, you can not get 0 problems in next scan."};
    for (int i = 0; i < 3; ++i)
      add({WC_STATICW, "Label" + std::to_string(i + 2), ui::ComponentKind::Captioned, comments[i],
           SS_LEFT, 0, 22, 58 + 22 * i, 456, 20, kFirstComment + i});
    add({WC_BUTTONW, "cbNotShowHint", ui::ComponentKind::Captioned,
         L"Don't show this hint dialog next time", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 10, 152, 290,
         22, kShowHintNotAgain});
    const HWND close = add({WC_BUTTONW, "bClose", ui::ComponentKind::Captioned, L"&Close",
                            BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 400, 150, 90, 28, kShowHintClose});
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    ::SetFocus(close);
    return false;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && LOWORD(wParam) == kShowHintNotAgain) {
      onNotShowHintClick();
      return TRUE;
    }
    return ui::Dialog::handleMessage(message, wParam, lParam);  // "&Close" and Esc end it
  }

 private:
  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }

  void onNotShowHintClick() {
    const HWND box = ::GetDlgItem(hwnd(), kShowHintNotAgain);
    m_output.showHint = ::SendMessageW(box, BM_GETCHECK, 0, 0) != BST_CHECKED;
  }

  const ShowHintInput& m_input;
  ShowHintOutput m_output;
};

}  // namespace

std::string ShowHintSentence(const Translation& translation, int processedCount) {
  const auto count = static_cast<std::size_t>(std::max(processedCount, 0));
  return CountedText(count, kThereAreTotal, translation) + " " + std::to_string(processedCount) +
         " " + CountedText(count, kProblemsRepaired, translation);
}

ShowHintOutput ShowHintDialog(HWND owner, const ShowHintInput& input) {
  TfrmShowHint dialog(input);
  dialog.runModal(owner);
  return dialog.Output();
}

}  // namespace hs::win32
