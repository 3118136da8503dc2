#pragma once
// A thin, non-owning view of a list-view control in report view. Rows and
// columns count from 0; a row's check mark is its state image (1 unchecked,
// 2 checked), as LVS_EX_CHECKBOXES draws it.
//
// A virtual list (LVS_OWNERDATA) keeps no rows: its owner holds them and
// answers through VirtualRows. Its check marks are asked for too (the state
// image is in the list's callback mask), so LVM_GETITEMTEXT and
// LVM_GETITEMSTATE with LVIS_STATEIMAGEMASK answer as in an ordinary list.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace hs::ui {

class ListView {
 public:
  explicit ListView(HWND list) : m_list(list) {}
  HWND hwnd() const { return m_list; }

  void setExtendedStyle(DWORD style);  // e.g. LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT
  void addColumn(const std::wstring& caption, int width);
  int columnCount() const;
  std::wstring columnText(int column) const;
  void setColumnText(int column, const std::wstring& caption);
  void setColumnWidth(int column, int width);
  // Each column as wide as its widest text when `toContents`, else as it
  // stands; never narrower than its caption plus `headerPadding` pixels (the
  // header's margins and divider), so translated captions are never cut.
  void fitColumns(bool toContents, int headerPadding);

  int rowCount() const;
  std::wstring text(int row, int column) const;
  bool isChecked(int row) const;
  std::vector<int> selectedRows() const;
  int focusedRow() const;  // -1 when none

  // Ordinary lists.
  int appendRow(const std::wstring& firstColumn);
  void setText(int row, int column, const std::wstring& text);
  void setChecked(int row, bool checked);
  void setAllChecked(bool checked);
  void clear();

  // Virtual lists: the number of rows the owner holds, and the asking for
  // check marks. Call redrawRows after the owner changed rows.
  void setVirtualRowCount(int rows);
  void askForCheckMarks();
  void redrawRows(int first, int last);

 private:
  HWND m_list;
};

// The rows of a virtual list as their owner holds them.
class VirtualRows {
 public:
  virtual ~VirtualRows() = default;
  virtual std::wstring text(int row, int column) const = 0;
  virtual bool checked(int row) const = 0;
};

// Answers LVN_GETDISPINFOW from `rows` (text and check mark); false when
// `header` is another notification.
bool AnswerDisplayInfo(const NMHDR* header, const VirtualRows& rows);

// The row whose check mark the user asked to toggle in a virtual list, which
// does not toggle by itself: a click on a row's state icon (NM_CLICK) or
// Space with a focused row (LVN_KEYDOWN). Nothing for other notifications.
std::optional<int> CheckToggleRequest(const NMHDR* header);

}  // namespace hs::ui
