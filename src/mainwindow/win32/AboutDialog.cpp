#include "mainwindow/win32/AboutDialog.h"

#include <commctrl.h>

#include "mainwindow/win32/AboutPicture.h"
#include "platform/win32/WideText.h"
#include "ui/ExternalLinks.h"
#include "ui/win32/Controls.h"
#include "ui/win32/Dialog.h"
#include "ui/win32/TranslateForm.h"

namespace hs::mainwindow {

using win32::Widen;

namespace {

constexpr int kPictureSide = 64;  // the picture's box at 96 DPI; texts start right of it

class TfrmAbout : public ui::Dialog {
 public:
  explicit TfrmAbout(const AboutInput& input)
      : ui::Dialog({"frmAbout", L"About", 380, 170}), m_input(input) {}

 protected:
  bool onInitDialog() override {
    using ui::ComponentKind;
    m_picture = DecodePictureThroughWic(Widen(m_input.programFolder + kAboutPictureFile));
    const HWND image = add({WC_STATICW, "Image1", ComponentKind::Untranslated, L"", SS_BITMAP, 0,
                            14, 14, kPictureSide, kPictureSide, kAboutPicture});
    if (m_picture)
      ::SendMessageW(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_picture.get()));
    const int left = 14 + kPictureSide + 14;
    const int width = 380 - left - 14;
    add({WC_STATICW, "lProgram", ComponentKind::Untranslated, L"Corvane Hivesweep", SS_LEFT, 0,
         left, 16, width, 20, kAboutTitle});
    add({WC_STATICW, "lVersion", ComponentKind::Untranslated, Widen("Version " HS_VERSION), SS_LEFT,
         0, left, 40, width, 20, kAboutVersion});
    add({WC_STATICW, "lCopyright", ComponentKind::Captioned,
         L"Copyright \u00A9 Corvane Software. All rights reserved.", SS_LEFT, 0, left, 64, width,
         20, 0});
    add({WC_STATICW, "lWebAddress", ComponentKind::Untranslated, Widen(ui::kHomePageAddress),
         SS_LEFT | SS_NOTIFY, 0, left, 90, width, 20, kAboutWebAddress});
    const HWND ok = add({WC_BUTTONW, "bOK", ComponentKind::Captioned, L"OK",
                         BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 276, 130, 90, 28, kAboutOk});
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    ::SetFocus(ok);
    return false;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && LOWORD(wParam) == kAboutWebAddress &&
        HIWORD(wParam) == STN_CLICKED) {
      onWebAddressClick();
      return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == kAboutOk) {
      endDialog(IDOK);
      return TRUE;
    }
    if (message == WM_SETCURSOR &&
        reinterpret_cast<HWND>(wParam) == ::GetDlgItem(hwnd(), kAboutWebAddress)) {
      ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
      ::SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    return ui::Dialog::handleMessage(message, wParam, lParam);
  }

 private:
  HWND add(const ui::ControlSpec& spec) { return ui::AddControl(hwnd(), components(), spec); }

  void onWebAddressClick() { m_input.openAddress(hwnd(), ui::kHomePageAddress); }

  const AboutInput& m_input;
  ui::UniqueHbitmap m_picture;  // outlives the static control that shows it
};

}  // namespace

void AboutDialog(HWND owner, const AboutInput& input) {
  TfrmAbout dialog(input);
  dialog.runModal(owner);
}

}  // namespace hs::mainwindow
