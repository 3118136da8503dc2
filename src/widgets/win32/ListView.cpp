#include "widgets/win32/ListView.h"

#include <algorithm>

namespace hs::ui {

namespace {

constexpr int kListTextChars = 1024;
// The longest row text read back: a key path of 255-character names at the
// registry's 512 levels stays far below it.
constexpr std::size_t kLongestText = std::size_t{1} << 18;

UINT CheckStateImage(bool checked) {
  return INDEXTOSTATEIMAGEMASK(checked ? 2U : 1U);
}

}  // namespace

void ListView::setExtendedStyle(DWORD style) {
  ::SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, style, style);
}

void ListView::addColumn(const std::wstring& caption, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<wchar_t*>(caption.c_str());
  column.cx = width;
  ::SendMessageW(m_list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(columnCount()),
                 reinterpret_cast<LPARAM>(&column));
}

int ListView::columnCount() const {
  const auto header = reinterpret_cast<HWND>(::SendMessageW(m_list, LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring ListView::columnText(int column) const {
  std::wstring buffer(kListTextChars, L'\0');
  LVCOLUMNW item{};
  item.mask = LVCF_TEXT;
  item.pszText = buffer.data();
  item.cchTextMax = kListTextChars;
  if (!::SendMessageW(m_list, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                      reinterpret_cast<LPARAM>(&item)))
    return {};
  return item.pszText;
}

void ListView::fitColumns(bool toContents, int headerPadding) {
  for (int column = 0; column < columnCount(); ++column) {
    if (toContents) ListView_SetColumnWidth(m_list, column, LVSCW_AUTOSIZE);
    const int caption = ListView_GetStringWidth(m_list, columnText(column).c_str()) + headerPadding;
    if (caption > ListView_GetColumnWidth(m_list, column))
      ListView_SetColumnWidth(m_list, column, caption);
  }
}

void ListView::setColumnText(int column, const std::wstring& caption) {
  LVCOLUMNW item{};
  item.mask = LVCF_TEXT;
  item.pszText = const_cast<wchar_t*>(caption.c_str());
  ::SendMessageW(m_list, LVM_SETCOLUMNW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
}

void ListView::setColumnWidth(int column, int width) {
  ::SendMessageW(m_list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

int ListView::rowCount() const {
  return static_cast<int>(::SendMessageW(m_list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ListView::text(int row, int column) const {
  // A registry path can be far longer than a screen line: the buffer grows
  // until the text fits (LVM_GETITEMTEXT fills it up to its last character).
  for (std::size_t size = 512;; size *= 2) {
    std::wstring buffer(size, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(size);
    const auto length = static_cast<std::size_t>(
        std::max<LRESULT>(0, ::SendMessageW(m_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                            reinterpret_cast<LPARAM>(&item))));
    if (length + 1 < size || size >= kLongestText) {
      buffer.resize(std::min(length, size - 1));
      return buffer;
    }
  }
}

bool ListView::isChecked(int row) const {
  const auto state =
      ::SendMessageW(m_list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
  return (static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) == CheckStateImage(true);
}

std::vector<int> ListView::selectedRows() const {
  std::vector<int> rows;
  int row = -1;
  while ((row = static_cast<int>(::SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                LVNI_SELECTED))) != -1)
    rows.push_back(row);
  return rows;
}

int ListView::focusedRow() const {
  return static_cast<int>(
      ::SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int ListView::appendRow(const std::wstring& firstColumn) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = rowCount();
  item.pszText = const_cast<wchar_t*>(firstColumn.c_str());
  return static_cast<int>(
      ::SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::setText(int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(m_list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

void ListView::setChecked(int row, bool checked) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = CheckStateImage(checked);
  ::SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

void ListView::setAllChecked(bool checked) {
  for (int row = 0; row < rowCount(); ++row) setChecked(row, checked);
}

void ListView::clear() {
  ::SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0);
}

void ListView::setVirtualRowCount(int rows) {
  ::SendMessageW(m_list, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), LVSICF_NOSCROLL);
}

void ListView::askForCheckMarks() {
  ::SendMessageW(m_list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
}

void ListView::redrawRows(int first, int last) {
  ::SendMessageW(m_list, LVM_REDRAWITEMS, static_cast<WPARAM>(first), last);
}

bool AnswerDisplayInfo(const NMHDR* header, const VirtualRows& rows) {
  if (header->code != LVN_GETDISPINFOW) return false;
  LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header))->item;
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    const std::wstring text = rows.text(item.iItem, item.iSubItem);
    const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    text.copy(item.pszText, copied);
    item.pszText[copied] = L'\0';
  }
  if (item.mask & LVIF_STATE) {
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | CheckStateImage(rows.checked(item.iItem));
    item.stateMask |= LVIS_STATEIMAGEMASK;
  }
  return true;
}

std::optional<int> CheckToggleRequest(const NMHDR* header) {
  if (header->code == NM_CLICK) {
    LVHITTESTINFO hit{};
    hit.pt = reinterpret_cast<const NMITEMACTIVATE*>(header)->ptAction;
    const auto row = static_cast<int>(
        ::SendMessageW(header->hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row >= 0 && hit.iSubItem == 0 && (hit.flags & LVHT_ONITEMSTATEICON)) return row;
    return std::nullopt;
  }
  if (header->code == LVN_KEYDOWN &&
      reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey == VK_SPACE) {
    const int row = ListView(header->hwndFrom).focusedRow();
    if (row >= 0) return row;
  }
  return std::nullopt;
}

}  // namespace hs::ui
