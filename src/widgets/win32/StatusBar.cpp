#include "widgets/win32/StatusBar.h"

namespace hs::ui {

namespace {

std::wstring PartText(HWND bar, WPARAM part) {
  const auto lengthAndType = ::SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0);
  std::wstring text(static_cast<std::size_t>(LOWORD(lengthAndType)) + 1, L'\0');
  ::SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
  text.resize(LOWORD(lengthAndType));
  return text;
}

// The drawing type that goes with a text: right-to-left reading when the
// bar reads so.
WPARAM ReadingOrderType(HWND bar) {
  return (::GetWindowLongPtrW(bar, GWL_EXSTYLE) & WS_EX_RTLREADING) ? SBT_RTLREADING : 0;
}

}  // namespace

void StatusBar::setPanels(const std::vector<int>& widths) {
  std::vector<int> rightEdges;
  int edge = 0;
  for (const int width : widths) rightEdges.push_back(edge += width);
  if (!rightEdges.empty()) rightEdges.back() = -1;
  ::SendMessageW(m_bar, SB_SETPARTS, rightEdges.size(),
                 reinterpret_cast<LPARAM>(rightEdges.data()));
}

int StatusBar::panelCount() const {
  return static_cast<int>(::SendMessageW(m_bar, SB_GETPARTS, 0, 0));
}

std::wstring StatusBar::text(int panel) const {
  return PartText(m_bar, static_cast<WPARAM>(panel));
}

void StatusBar::setText(int panel, const std::wstring& text) {
  ::SendMessageW(m_bar, SB_SETTEXTW, static_cast<WPARAM>(panel) | ReadingOrderType(m_bar),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

bool StatusBar::isSimple() const {
  return ::SendMessageW(m_bar, SB_ISSIMPLE, 0, 0) != 0;
}

void StatusBar::setSimple(bool simple) {
  ::SendMessageW(m_bar, SB_SIMPLE, simple ? TRUE : FALSE, 0);
}

// While the bar is simple it answers for the part SB_SIMPLEID, or (Wine)
// for any part index below its panel count, with its one text.
std::wstring StatusBar::simpleText() const {
  std::wstring text = PartText(m_bar, SB_SIMPLEID);
  return text.empty() ? PartText(m_bar, 0) : text;
}

void StatusBar::setSimpleText(const std::wstring& text) {
  ::SendMessageW(m_bar, SB_SETTEXTW, SB_SIMPLEID | ReadingOrderType(m_bar),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

int StatusBar::height() const {
  RECT area{};
  ::GetWindowRect(m_bar, &area);
  return area.bottom - area.top;
}

void StatusBar::takeReadingOrder() {
  for (int panel = 0; panel < panelCount(); ++panel) setText(panel, text(panel));
  if (isSimple()) setSimpleText(simpleText());
}

}  // namespace hs::ui
