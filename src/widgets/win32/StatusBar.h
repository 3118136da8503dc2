#pragma once
// A thin, non-owning view of a status bar: either panels, each with its
// text, or one simple text across the bar. Texts read right to left while
// the bar itself does (WS_EX_RTLREADING, put on by a right-to-left
// translation), so that texts set later keep the language's order.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace hs::ui {

class StatusBar {
 public:
  explicit StatusBar(HWND bar) : m_bar(bar) {}
  HWND hwnd() const { return m_bar; }

  // Panels of these widths (pixels), left to right; the last one also takes
  // what is left of the bar.
  void setPanels(const std::vector<int>& widths);
  int panelCount() const;
  std::wstring text(int panel) const;
  void setText(int panel, const std::wstring& text);

  bool isSimple() const;
  void setSimple(bool simple);
  std::wstring simpleText() const;
  void setSimpleText(const std::wstring& text);
  int height() const;
  // Sets every text again, so that each takes the bar's reading order.
  void takeReadingOrder();

 private:
  HWND m_bar;
};

}  // namespace hs::ui
