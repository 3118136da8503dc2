#include "mainwindow/win32/EvidenceDialog.h"

#include "platform/win32/WideText.h"
#include "widgets/win32/Clipboard.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::win32 {
namespace {

constexpr int kLabelWidth = 130;
constexpr int kFieldLeft = 150;
constexpr int kFieldWidth = 440;

class TfrmEvidence : public ui::Dialog {
 public:
  explicit TfrmEvidence(const EvidenceInput& input)
      : ui::Dialog({"frmEvidence", L"Details", 600, 262}), m_input(input) {}

 protected:
  bool onInitDialog() override {
    const Finding& row = m_input.row;
    std::string heading = row.Problem + "\r\n" + row.KeyPath;
    if (!row.ValueText.empty()) heading += "\r\n" + row.ValueText;
    addField("eRow", heading, 10, 10, 580, 58, kEvidenceRow);
    const FindingEvidence& evidence = row.Evidence;
    addPart("lCheck", L"Check:", "eCheck", m_input.texts.Rule(evidence.Rule()), 0, kEvidenceCheck);
    addPart("lTested", L"Text tested:", "eTested", evidence.Tested(), 1, kEvidenceTested);
    addPart("lPath", L"Path asked:", "ePath", evidence.AskedPath(), 2, kEvidencePath);
    addPart("lAnswer", L"Answer:", "eAnswer", m_input.texts.Answer(evidence.Answer()), 3,
            kEvidenceAnswer);
    add({WC_BUTTONW, "bCopy", ui::ComponentKind::Captioned, L"&Copy", WS_TABSTOP, 0, 390, 224, 95,
         28, kEvidenceCopy});
    const HWND close = add({WC_BUTTONW, "bClose", ui::ComponentKind::Captioned, L"Close",
                            BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 495, 224, 95, 28, kEvidenceClose});
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    ::SetFocus(close);
    return false;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && LOWORD(wParam) == kEvidenceCopy && HIWORD(wParam) == BN_CLICKED) {
      onCopy();
      return TRUE;
    }
    return ui::Dialog::handleMessage(message, wParam, lParam);  // "Close" and Esc end it
  }

 private:
  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }

  // A read-only field: the user may select and copy part of it.
  HWND addField(const std::string& name, const std::string& text, int left, int top, int width,
                int height, int id) {
    const DWORD lines = height > 30 ? ES_MULTILINE | WS_VSCROLL : ES_AUTOHSCROLL;
    return add({WC_EDITW, name, ui::ComponentKind::Untranslated, Widen(text),
                ES_READONLY | WS_BORDER | WS_TABSTOP | lines, 0, left, top, width, height, id});
  }

  void addPart(const std::string& labelName, const wchar_t* label, const std::string& fieldName,
               const std::string& text, int index, int id) {
    const int top = 80 + 34 * index;
    add({WC_STATICW, labelName, ui::ComponentKind::Captioned, label, SS_LEFT, 0, 10, top + 4,
         kLabelWidth, 20, id + 20});
    addField(fieldName, text, kFieldLeft, top, kFieldWidth, 24, id);
  }

  std::string labelText(const char* name) const {
    const ui::Component* component = components().find(name);
    return component ? Narrow(ui::WindowText(component->window)) : std::string();
  }

  // The texts as the dialog shows them, in its language.
  void onCopy() {
    const EvidenceHeadings headings{labelText("lCheck"), labelText("lTested"), labelText("lPath"),
                                    labelText("lAnswer")};
    const std::wstring text = Widen(EvidenceDetails(m_input.row, m_input.texts, headings));
    ui::CopyOrTell(hwnd(), m_input.copy, text, L"The details could not be put on the clipboard.");
  }

  const EvidenceInput& m_input;
};

}  // namespace

void EvidenceDialog(HWND owner, const EvidenceInput& input) {
  TfrmEvidence dialog(input);
  dialog.runModal(owner);
}

}  // namespace hs::win32
