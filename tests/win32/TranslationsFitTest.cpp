// Every text of every shipped translation fits its control: the program's
// real windows are opened in each language and each caption, column header,
// tab and status panel is measured with the control's own font at the
// screen's DPI (scripts run this test again at 144 DPI).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "ProgramWindows.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dpi.h"
#include "widgets/win32/ListView.h"
#include "widgets/win32/StatusBar.h"

namespace hs::test {
namespace {

// What the system draws beside a caption, in pixels at 96 DPI: a push
// button's edge and focus rectangle on each side; a check box's or radio
// button's glyph and the gap after it; a group box's frame and the inset of
// its caption on each side; a header's and a status panel's margin on each
// side.
constexpr int kPushButtonMargin = 3;
constexpr int kCheckGlyphAndGap = 17;
constexpr int kGroupBoxInset = 8;
constexpr int kHeaderMargin = 6;
constexpr int kStatusPanelMargin = 3;

struct Extent {
  int width = 0;
  int height = 0;
};

// A text measured in `control`'s font: one line, or broken at words to
// `wrapWidth` when that is given. "&" marks an access key unless the control
// shows it as it is.
Extent TextExtent(HWND control, const std::wstring& text, int wrapWidth = 0, bool prefix = true) {
  const HDC dc = ::GetDC(control);
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
  const HGDIOBJ before = ::SelectObject(dc, font ? font : ::GetStockObject(SYSTEM_FONT));
  RECT rect{0, 0, wrapWidth, 0};
  UINT flags = DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  if (!prefix) flags |= DT_NOPREFIX;
  ::DrawTextW(dc, text.c_str(), -1, &rect, flags);
  ::SelectObject(dc, before);
  ::ReleaseDC(control, dc);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

RECT ClientRect(HWND control) {
  RECT rect{};
  ::GetClientRect(control, &rect);
  return rect;
}

struct Misfit {
  std::string control;
  std::wstring text;
  Extent needed, available;
};

class FitCheck {
 public:
  explicit FitCheck(std::vector<Misfit>& misfits) : m_misfits(misfits) {}

  void check(const std::string& control, const std::wstring& text, Extent needed,
             Extent available) {
    if (needed.width > available.width || needed.height > available.height)
      m_misfits.push_back({control, text, needed, available});
  }

 private:
  std::vector<Misfit>& m_misfits;
};

void CheckButton(FitCheck& fit, const ui::Component& component, const std::wstring& text) {
  const HWND button = component.window;
  const LONG style = ::GetWindowLongW(button, GWL_STYLE);
  const UINT dpi = ui::WindowDpi(button);
  const RECT client = ClientRect(button);
  int margin = 0;
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      margin = 2 * ui::ScaleToDpi(kPushButtonMargin, dpi);
      break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      margin = ui::ScaleToDpi(kCheckGlyphAndGap, dpi);
      break;
    case BS_GROUPBOX:
      margin = 2 * ui::ScaleToDpi(kGroupBoxInset, dpi);
      break;
    default:
      return;  // drawn by its owner
  }
  const int width = client.right - margin;
  const bool wraps = (style & BS_MULTILINE) != 0;
  // A group box's caption sits on its frame: only the width counts.
  const int height = (style & BS_TYPEMASK) == BS_GROUPBOX ? INT_MAX : client.bottom;
  fit.check(component.name, text, TextExtent(button, text, wraps ? width : 0), {width, height});
}

void CheckLabel(FitCheck& fit, const ui::Component& component, const std::wstring& text) {
  const HWND label = component.window;
  const LONG style = ::GetWindowLongW(label, GWL_STYLE);
  const RECT client = ClientRect(label);
  const bool prefix = (style & SS_NOPREFIX) == 0;
  switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:  // broken at words: the lines must fit its height
      fit.check(component.name, text, TextExtent(label, text, client.right, prefix),
                {client.right, client.bottom});
      break;
    case SS_LEFTNOWORDWRAP:
    case SS_SIMPLE:
      fit.check(component.name, text, TextExtent(label, text, 0, prefix), {client.right, INT_MAX});
      break;
    default:
      break;  // a picture or a frame
  }
}

void CheckCaptioned(FitCheck& fit, const ui::Component& component) {
  wchar_t className[64] = {};
  ::GetClassNameW(component.window, className, 64);
  const std::wstring text = ui::WindowText(component.window);
  if (text.empty()) return;
  if (::lstrcmpiW(className, WC_BUTTONW) == 0) CheckButton(fit, component, text);
  if (::lstrcmpiW(className, WC_STATICW) == 0) CheckLabel(fit, component, text);
}

void CheckColumns(FitCheck& fit, const ui::Component& component) {
  const ui::ListView list(component.window);
  const HWND header = ListView_GetHeader(component.window);
  const int margin = 2 * ui::ScaleToDpi(kHeaderMargin, ui::WindowDpi(component.window));
  for (int i = 0; i < list.columnCount(); ++i) {
    const std::wstring text = list.columnText(i);
    const int width = ListView_GetColumnWidth(component.window, i) - margin;
    fit.check(component.name + "_Column" + std::to_string(i), text,
              TextExtent(header, text, 0, false), {width, INT_MAX});
  }
}

void CheckPanels(FitCheck& fit, const ui::Component& component) {
  const ui::StatusBar bar(component.window);
  if (bar.isSimple()) return;
  const int margin = 2 * ui::ScaleToDpi(kStatusPanelMargin, ui::WindowDpi(component.window));
  for (int i = 0; i < bar.panelCount(); ++i) {
    RECT panel{};
    ::SendMessageW(component.window, SB_GETRECT, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(&panel));
    const std::wstring text = bar.text(i);
    fit.check(component.name + "_Panel" + std::to_string(i), text,
              TextExtent(component.window, text, 0, false),
              {panel.right - panel.left - margin, INT_MAX});
  }
}

// Tabs size themselves to their captions: together they must fit in one row
// of the control.
void CheckTabs(FitCheck& fit, const ui::Component& component) {
  const HWND tabs = component.window;
  const auto count = static_cast<int>(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  if (count == 0) return;
  RECT last{};
  ::SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(count - 1),
                 reinterpret_cast<LPARAM>(&last));
  const int rows = static_cast<int>(::SendMessageW(tabs, TCM_GETROWCOUNT, 0, 0));
  const int needed = rows > 1 ? INT_MAX : static_cast<int>(last.right);
  fit.check(component.name, L"(all tabs)", {needed, 0}, {ClientRect(tabs).right, 0});
}

// A menu bar wider than its window breaks into a second row.
void CheckMenuBar(FitCheck& fit, const ui::ComponentRegistry& window) {
  const HWND self = window.all().front().window;
  const HMENU bar = ::GetMenu(self);
  const int count = bar ? ::GetMenuItemCount(bar) : 0;
  if (count <= 0) return;
  RECT first{}, last{};
  ::GetMenuItemRect(self, bar, 0, &first);
  ::GetMenuItemRect(self, bar, static_cast<UINT>(count - 1), &last);
  if (last.top != first.top)
    fit.check("menu bar", L"(all items)", {INT_MAX, 0}, {ClientRect(self).right, 0});
}

std::vector<Misfit> MisfitsOf(const ui::ComponentRegistry& window) {
  std::vector<Misfit> misfits;
  FitCheck fit(misfits);
  for (const ui::Component& component : window.all()) {
    switch (component.kind) {
      case ui::ComponentKind::Captioned:
        CheckCaptioned(fit, component);
        break;
      case ui::ComponentKind::ListView:
        CheckColumns(fit, component);
        break;
      case ui::ComponentKind::StatusBarPanels:
        CheckPanels(fit, component);
        break;
      case ui::ComponentKind::PageControl:
        CheckTabs(fit, component);
        break;
      default:
        break;  // titles, menus' items, lists and trees make room or scroll
    }
  }
  CheckMenuBar(fit, window);
  return misfits;
}

std::string TestProgramFolder() {
  wchar_t buffer[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  const std::string path = win32::Narrow(buffer);
  return path.substr(0, path.rfind('\\') + 1);
}

// The languages of the translation files beside the program, English too.
std::vector<std::string> ShippedLanguages(const std::string& folder) {
  std::vector<std::string> languages;
  WIN32_FIND_DATAW found{};
  const win32::UniqueFindHandle find(
      ::FindFirstFileW(win32::Widen(folder + "Lan_*.ini").c_str(), &found));
  if (!find) return languages;
  do {
    const std::string name = win32::Narrow(found.cFileName);
    languages.push_back(name.substr(4, name.size() - 8));
  } while (::FindNextFileW(find.get(), &found));
  return languages;
}

std::string Pixels(int value) {
  return value == INT_MAX ? "-" : std::to_string(value);
}

std::string Describe(const std::string& language, const std::string& window, const Misfit& misfit) {
  return language + " " + window + "." + misfit.control + " \"" + win32::Narrow(misfit.text) +
         "\": needs " + Pixels(misfit.needed.width) + "x" + Pixels(misfit.needed.height) +
         " px, has " + Pixels(misfit.available.width) + "x" + Pixels(misfit.available.height) +
         "\n";
}

// Off until the translations that do not fit are shortened (134 texts at 96
// DPI when it was written); run it with --gtest_also_run_disabled_tests.
TEST(TranslationsFitTest, DISABLED_EveryTextFitsItsControlInEveryShippedLanguage) {
  const std::string folder = TestProgramFolder();
  const std::vector<std::string> languages = ShippedLanguages(folder);
  ASSERT_GE(languages.size(), 4u) << folder;
  std::string report;
  int count = 0;
  for (const std::string& language : languages) {
    VisitProgramWindows(folder, language, [&](const ui::ComponentRegistry& window) {
      for (const Misfit& misfit : MisfitsOf(window)) {
        report += Describe(language, window.windowName(), misfit);
        ++count;
      }
    });
  }
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(count, 0) << "texts cut off at " << dpi << " DPI:\n" << report;
}

}  // namespace
}  // namespace hs::test
