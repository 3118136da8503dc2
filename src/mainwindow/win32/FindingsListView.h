#pragma once
// lvRegistryData: a virtual (owner-data) report list over the findings vector,
// so a scan of 100,000 rows costs one count update instead of 100,000 inserts.
// It still answers LVM_GETITEMTEXT and LVM_GETITEMSTATE (check box in the
// state-image bits) as an ordinary list does, for screen readers and tests.
// Check boxes toggle on a press on the state icon and on Space for the
// focused row; LVM_SETITEMSTATE with the state-image mask sets them too.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "scan/Finding.h"
#include "widgets/win32/ListView.h"

namespace hs::mainwindow {

class FindingsListView : private ui::VirtualRows {
 public:
  // Subclasses `list` (an LVS_REPORT | LVS_OWNERDATA list view); `rows` must
  // outlive the control. `checksChanged` runs after the user changed a check.
  FindingsListView(HWND list, std::vector<Finding>& rows, std::function<void()> checksChanged);
  FindingsListView(const FindingsListView&) = delete;
  FindingsListView& operator=(const FindingsListView&) = delete;
  ~FindingsListView() override;

  HWND hwnd() const { return m_list; }
  // Adds "Problem" 120, "Registry key" 300, "Value" 150 (pixels at 96 DPI),
  // at `dpi`.
  void AddColumns(UINT dpi);
  // The window moved to a monitor of another DPI: each column keeps its
  // share of the list.
  void RescaleColumns(UINT fromDpi, UINT toDpi);
  void SetColumnWidth(int column, int width);
  int ColumnWidth(int column) const;
  // Column sizes after a scan: fitted to the contents, or at least 120 each (at 96 DPI)
  // when there are no rows.
  void FitColumns(bool anyRows);
  // After the vector changed size or contents: new count, repaint.
  void RowsChanged();
  // Selected row indices, ascending.
  std::vector<std::size_t> SelectedRows() const;
  // The parent's WM_NOTIFY for this list; true when handled.
  bool OnNotify(const NMHDR& header, LRESULT& result);

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  bool OnButtonDown(LPARAM position);
  bool OnKeyDown(WPARAM key);
  std::wstring text(int row, int column) const override;
  bool checked(int row) const override;
  const Finding* RowAt(int row) const;
  void OnItemChanged(const NMLISTVIEW& change);
  void SetChecked(std::size_t row, bool checked);
  int FitWidth(int column) const;

  HWND m_list;
  ui::ListView m_view;
  std::vector<Finding>& m_rows;
  std::function<void()> m_checksChanged;
  // The DPI the widths are set for: fitting pads and limits by it.
  UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
};

}  // namespace hs::mainwindow
