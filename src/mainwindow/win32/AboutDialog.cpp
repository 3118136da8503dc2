#include "mainwindow/win32/AboutDialog.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"
#include "ui/ExternalLinks.h"
#include "ui/win32/PictureIds.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/Dpi.h"
#include "widgets/win32/Pictures.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::mainwindow {

using win32::Widen;

namespace {

constexpr int kClientWidth = 380;
constexpr int kPictureSide = 64;  // the picture's box at 96 DPI; texts start right of it

class TfrmAbout : public ui::Dialog {
 public:
  explicit TfrmAbout(const AboutInput& input)
      : ui::Dialog({"frmAbout", L"About", kClientWidth, 170}), m_input(input) {}

 protected:
  bool onInitDialog() override {
    using ui::ComponentKind;
    const int side = ui::ScaleToWindow(hwnd(), kPictureSide);
    m_picture =
        ui::BitmapOf(ui::ScaledByArea(ui::LoadPictureResource(HS_PICTURE_ABOUT), side, side));
    const HWND image = add({WC_STATICW, "Image1", ComponentKind::Untranslated, L"", SS_BITMAP, 0,
                            14, 14, kPictureSide, kPictureSide, kAboutPicture});
    // Without a picture (a program built without it) the texts take its place.
    const int left = m_picture ? 14 + kPictureSide + 14 : 14;
    if (m_picture)
      ::SendMessageW(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_picture.get()));
    const int width = kClientWidth - left - 14;
    const HWND title = add({WC_STATICW, "lProgram", ComponentKind::Untranslated,
                            L"Corvane Hivesweep", SS_LEFT, 0, left, 14, width, 26, kAboutTitle});
    add({WC_STATICW, "lVersion", ComponentKind::Untranslated, Widen("Version " HS_VERSION), SS_LEFT,
         0, left, 44, width, 20, kAboutVersion});
    add({WC_STATICW, "lCopyright", ComponentKind::Captioned, L"Copyright \u00A9 Corvane Software",
         SS_LEFT, 0, left, 66, width, 20, 0});
    const HWND link =
        add({WC_STATICW, "lWebAddress", ComponentKind::Untranslated, Widen(ui::kHomePageAddress),
             SS_LEFT | SS_NOTIFY, 0, left, 92, width, 20, kAboutWebAddress});
    const HWND ok =
        add({WC_BUTTONW, "bOK", ComponentKind::Captioned, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0,
             kClientWidth - 104, 130, 90, 28, kAboutOk});
    m_titleFont = DerivedFont(title, 150, FW_BOLD, false);
    m_linkFont = DerivedFont(link, 100, FW_NORMAL, true);
    ::SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.get()), FALSE);
    ::SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont.get()), FALSE);
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    ::SetFocus(ok);
    return false;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_COMMAND:
        return onCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
      case WM_CTLCOLORSTATIC:
        return onCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      case WM_SETCURSOR:
        return onSetCursor(reinterpret_cast<HWND>(wParam)) ? TRUE : FALSE;
      default:
        return ui::Dialog::handleMessage(message, wParam, lParam);
    }
  }

 private:
  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }
  HWND link() const { return ::GetDlgItem(hwnd(), kAboutWebAddress); }

  // The control's font at `percent` of its height, with this weight.
  static ui::UniqueHfont DerivedFont(HWND control, int percent, LONG weight, bool underline) {
    LOGFONTW font{};
    const auto current = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    if (!current || !::GetObjectW(current, sizeof font, &font)) return {};
    font.lfHeight = font.lfHeight * percent / 100;
    font.lfWeight = weight;
    font.lfUnderline = underline ? TRUE : FALSE;
    return ui::UniqueHfont(::CreateFontIndirectW(&font));
  }

  bool onCommand(int id, int code) {
    if (id == kAboutWebAddress && code == STN_CLICKED) {
      m_input.openAddress(hwnd(), ui::kHomePageAddress);
      return true;
    }
    if (id == kAboutOk || id == IDCANCEL) {
      endDialog(id);
      return true;
    }
    return false;
  }

  // The web address in the colour of a link.
  INT_PTR onCtlColorStatic(HDC dc, HWND control) {
    if (control != link()) return FALSE;
    ::SetTextColor(dc, RGB(0, 0, 204));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
  }

  bool onSetCursor(HWND over) {
    if (over != link()) return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    ::SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
    return true;
  }

  const AboutInput& m_input;
  ui::UniqueHbitmap m_picture;  // these outlive the controls that use them
  ui::UniqueHfont m_titleFont;
  ui::UniqueHfont m_linkFont;
};

}  // namespace

void AboutDialog(HWND owner, const AboutInput& input) {
  TfrmAbout dialog(input);
  dialog.runModal(owner);
}

}  // namespace hs::mainwindow
