#include "widgets/win32/TreeView.h"

namespace hs::ui {

namespace {
constexpr int kTreeTextChars = 1024;
}

void TreeView::useCheckStateImages() {
  // Set after creation, as the control documents for this style.
  const LONG_PTR style = ::GetWindowLongPtrW(m_tree, GWL_STYLE);
  ::SetWindowLongPtrW(m_tree, GWL_STYLE, style | TVS_CHECKBOXES);
}

void TreeView::setImageLists(HIMAGELIST nodeImages, HIMAGELIST stateImages) {
  TreeView_SetImageList(m_tree, nodeImages, TVSIL_NORMAL);
  TreeView_SetImageList(m_tree, stateImages, TVSIL_STATE);
}

HTREEITEM TreeView::append(HTREEITEM parent, const std::wstring& text, int image, int stateIndex) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
  insert.item.pszText = const_cast<wchar_t*>(text.c_str());
  insert.item.iImage = image;
  insert.item.iSelectedImage = image;
  insert.item.stateMask = TVIS_STATEIMAGEMASK;
  insert.item.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(stateIndex));
  return reinterpret_cast<HTREEITEM>(
      ::SendMessageW(m_tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM TreeView::next(HTREEITEM node, UINT relation) const {
  return reinterpret_cast<HTREEITEM>(
      ::SendMessageW(m_tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
}

std::vector<HTREEITEM> TreeView::nodesInTreeOrder() const {
  std::vector<HTREEITEM> nodes;
  // Depth first without recursion: children before the next sibling.
  std::vector<HTREEITEM> pending{next(nullptr, TVGN_ROOT)};
  while (!pending.empty()) {
    const HTREEITEM node = pending.back();
    pending.pop_back();
    if (!node) continue;
    nodes.push_back(node);
    pending.push_back(next(node, TVGN_NEXT));
    pending.push_back(next(node, TVGN_CHILD));
  }
  return nodes;
}

HTREEITEM TreeView::parent(HTREEITEM node) const {
  return next(node, TVGN_PARENT);
}

std::vector<HTREEITEM> TreeView::children(HTREEITEM node) const {
  std::vector<HTREEITEM> nodes;
  for (HTREEITEM child = next(node, TVGN_CHILD); child; child = next(child, TVGN_NEXT))
    nodes.push_back(child);
  return nodes;
}

int TreeView::level(HTREEITEM node) const {
  int depth = 0;
  for (HTREEITEM up = parent(node); up; up = parent(up)) ++depth;
  return depth;
}

std::wstring TreeView::text(HTREEITEM node) const {
  std::wstring buffer(kTreeTextChars, L'\0');
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = node;
  item.pszText = buffer.data();
  item.cchTextMax = kTreeTextChars;
  if (!::SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
  return item.pszText;
}

void TreeView::setText(HTREEITEM node, const std::wstring& text) {
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = node;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(m_tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int TreeView::image(HTREEITEM node) const {
  TVITEMW item{};
  item.mask = TVIF_IMAGE;
  item.hItem = node;
  if (!::SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
  return item.iImage;
}

int TreeView::stateIndex(HTREEITEM node) const {
  const auto state =
      ::SendMessageW(m_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node), TVIS_STATEIMAGEMASK);
  return static_cast<int>((static_cast<UINT>(state) & TVIS_STATEIMAGEMASK) >> 12);
}

void TreeView::setStateIndex(HTREEITEM node, int index) {
  TVITEMW item{};
  item.mask = TVIF_STATE;
  item.hItem = node;
  item.stateMask = TVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(index));
  ::SendMessageW(m_tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TreeView::expandAll() {
  for (const HTREEITEM node : nodesInTreeOrder())
    ::SendMessageW(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
}

}  // namespace hs::ui
