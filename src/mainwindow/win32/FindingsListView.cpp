#include "mainwindow/win32/FindingsListView.h"

#include <algorithm>
#include <string>

#include "platform/win32/WideText.h"
#include "ui/MainLayout.h"
#include "widgets/win32/Dpi.h"
#include "widgets/win32/GuiHandles.h"

namespace hs::mainwindow {

namespace {

constexpr UINT_PTR kListSubclassId = 1;
constexpr int kColumnCount = 3;
constexpr int kMinimumEmptyWidth = 120;

struct ColumnLayout {
  const wchar_t* caption;
  int width;
};
constexpr ColumnLayout kColumns[kColumnCount] = {
    {L"Problem", 120}, {L"Registry key", 300}, {L"Value", 150}};

const std::string& CellText(const Finding& row, int column) {
  switch (column) {
    case 0:
      return row.Problem;
    case 1:
      return row.KeyPath;
    default:
      return row.ValueText;
  }
}

}  // namespace

FindingsListView::FindingsListView(HWND list, std::vector<Finding>& rows,
                                   std::function<void()> checksChanged)
    : m_list(list), m_view(list), m_rows(rows), m_checksChanged(std::move(checksChanged)) {
  m_view.setExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  // The check state lives in the rows: the control asks for it.
  m_view.askForCheckMarks();
  ::SetWindowSubclass(m_list, SubclassProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

FindingsListView::~FindingsListView() {
  ::RemoveWindowSubclass(m_list, SubclassProc, kListSubclassId);
}

void FindingsListView::AddColumns(UINT dpi) {
  m_dpi = dpi;
  for (const ColumnLayout& column : kColumns)
    m_view.addColumn(column.caption, ui::ScaleToDpi(column.width, dpi));
}

void FindingsListView::RescaleColumns(UINT fromDpi, UINT toDpi) {
  for (int column = 0; column < kColumnCount; ++column) {
    SetColumnWidth(column, ui::RescaledForDpi(ColumnWidth(column), static_cast<int>(fromDpi),
                                              static_cast<int>(toDpi)));
  }
  m_dpi = toDpi;
}

void FindingsListView::SetColumnWidth(int column, int width) {
  m_view.setColumnWidth(column, width);
}

int FindingsListView::ColumnWidth(int column) const {
  return ListView_GetColumnWidth(m_list, column);
}

// The control's own LVSCW_AUTOSIZE would ask for the text of every row; this
// measures the rows once, in the list's font, with the header caption as the
// least width.
int FindingsListView::FitWidth(int column) const {
  ui::WindowDc dc(m_list);
  if (!dc) return ColumnWidth(column);
  ui::SelectedObject font(dc.get(),
                          reinterpret_cast<HFONT>(::SendMessageW(m_list, WM_GETFONT, 0, 0)));
  auto measure = [&dc](const std::wstring& text) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  // Only the longest texts (in bytes) can be the widest; a hundred of them
  // size a column of 100,000 rows (each measure costs about 15 us under Wine).
  std::size_t longest = 0;
  for (const Finding& row : m_rows) longest = std::max(longest, CellText(row, column).size());
  int width = measure(kColumns[column].caption);
  int measured = 0;
  constexpr int kMostMeasured = 100;
  for (const Finding& row : m_rows) {
    const std::string& text = CellText(row, column);
    if (text.size() < longest - longest / 4) continue;
    width = std::max(width, measure(win32::Widen(text)));
    if (++measured == kMostMeasured) break;
  }
  constexpr int kCellPadding = 12;
  constexpr int kCheckBoxRoom = 24;
  return width + ui::ScaleToDpi(kCellPadding + (column == 0 ? kCheckBoxRoom : 0), m_dpi);
}

void FindingsListView::FitColumns(bool anyRows) {
  // One repaint for the three widths, not one per column.
  ::SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
  for (int column = 0; column < kColumnCount; ++column) {
    if (anyRows) {
      SetColumnWidth(column, FitWidth(column));
    } else if (ColumnWidth(column) < ui::ScaleToDpi(kMinimumEmptyWidth, m_dpi)) {
      SetColumnWidth(column, ui::ScaleToDpi(kMinimumEmptyWidth, m_dpi));
    }
  }
  ::SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(m_list, nullptr, TRUE);
}

void FindingsListView::RowsChanged() {
  // Setting the count costs the control time in proportion to it (15 ms for
  // 100,000 rows under Wine); a repaint is enough when it stays the same.
  const int count = static_cast<int>(m_rows.size());
  if (ListView_GetItemCount(m_list) != count) m_view.setVirtualRowCount(count);
  ::InvalidateRect(m_list, nullptr, FALSE);
}

std::vector<std::size_t> FindingsListView::SelectedRows() const {
  std::vector<std::size_t> selected;
  for (const int row : m_view.selectedRows()) {
    if (RowAt(row)) selected.push_back(static_cast<std::size_t>(row));
  }
  return selected;
}

bool FindingsListView::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != m_list) return false;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      ui::AnswerDisplayInfo(&header, *this);
      result = 0;
      return true;
    case LVN_ITEMCHANGED:
      OnItemChanged(*reinterpret_cast<const NMLISTVIEW*>(&header));
      result = 0;
      return true;
    default:
      return false;
  }
}

const Finding* FindingsListView::RowAt(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return nullptr;
  return &m_rows[static_cast<std::size_t>(row)];
}

std::wstring FindingsListView::text(int row, int column) const {
  const Finding* finding = RowAt(row);
  if (!finding || column < 0 || column >= kColumnCount) return {};
  return win32::Widen(CellText(*finding, column));
}

bool FindingsListView::checked(int row) const {
  const Finding* finding = RowAt(row);
  return finding && finding->Checked;
}

// An LVM_SETITEMSTATE with the state-image bits reaches the rows this way
// (-1 is every row).
void FindingsListView::OnItemChanged(const NMLISTVIEW& change) {
  if (!(change.uChanged & LVIF_STATE) || !(change.uNewState & LVIS_STATEIMAGEMASK)) return;
  const bool checked = (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
  if (change.iItem < 0) {
    for (Finding& row : m_rows) row.Checked = checked;
    ::InvalidateRect(m_list, nullptr, FALSE);
  } else if (static_cast<std::size_t>(change.iItem) < m_rows.size()) {
    SetChecked(static_cast<std::size_t>(change.iItem), checked);
  } else {
    return;
  }
  if (m_checksChanged) m_checksChanged();
}

void FindingsListView::SetChecked(std::size_t row, bool checked) {
  m_rows[row].Checked = checked;
  m_view.redrawRows(static_cast<int>(row), static_cast<int>(row));
}

bool FindingsListView::OnButtonDown(LPARAM position) {
  LVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  const int row = ListView_SubItemHitTest(m_list, &hit);
  if (row < 0 || !(hit.flags & LVHT_ONITEMSTATEICON) || hit.iSubItem != 0) return false;
  if (static_cast<std::size_t>(row) >= m_rows.size()) return false;
  ::SetFocus(m_list);
  SetChecked(static_cast<std::size_t>(row), !m_rows[static_cast<std::size_t>(row)].Checked);
  if (m_checksChanged) m_checksChanged();
  return true;
}

bool FindingsListView::OnKeyDown(WPARAM key) {
  if (key != VK_SPACE) return false;
  const int row = m_view.focusedRow();
  if (RowAt(row)) {
    SetChecked(static_cast<std::size_t>(row), !m_rows[static_cast<std::size_t>(row)].Checked);
    if (m_checksChanged) m_checksChanged();
  }
  return true;
}

// The control would toggle the check box itself through a state change it
// cannot store; the rows are the one place the check lives, so the press and
// Space are answered here and not passed on.
LRESULT CALLBACK FindingsListView::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  auto* view = reinterpret_cast<FindingsListView*>(self);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (view->OnButtonDown(lParam)) return 0;
      break;
    case WM_KEYDOWN:
      if (view->OnKeyDown(wParam)) return 0;
      break;
    case WM_CHAR:
      if (wParam == L' ') return 0;  // no incremental search on the toggle key
      break;
    default:
      break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace hs::mainwindow
