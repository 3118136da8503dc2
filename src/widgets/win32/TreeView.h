#pragma once
// A thin, non-owning view of a tree-view control whose nodes carry a check
// state image: state index 1 unchecked, 2 checked. "Tree order" is a node,
// then its children in order, then its next sibling.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace hs::ui {

class TreeView {
 public:
  explicit TreeView(HWND tree) : m_tree(tree) {}
  HWND hwnd() const { return m_tree; }

  // Gives the tree the system's check-box state images (index 1 and 2);
  // call before the first node is added.
  void useCheckStateImages();
  // Gives the tree these node images and state images (index 1 unchecked,
  // 2 checked); the caller keeps the lists alive while the tree shows them
  // (null takes a list away).
  void setImageLists(HIMAGELIST nodeImages, HIMAGELIST stateImages);
  // Appends a node under `parent` (TVI_ROOT for a top node).
  HTREEITEM append(HTREEITEM parent, const std::wstring& text, int image, int stateIndex);

  std::vector<HTREEITEM> nodesInTreeOrder() const;
  HTREEITEM parent(HTREEITEM node) const;
  std::vector<HTREEITEM> children(HTREEITEM node) const;
  int level(HTREEITEM node) const;  // 0 for a top node

  std::wstring text(HTREEITEM node) const;
  void setText(HTREEITEM node, const std::wstring& text);
  int image(HTREEITEM node) const;
  int stateIndex(HTREEITEM node) const;
  void setStateIndex(HTREEITEM node, int index);
  void expandAll();

 private:
  HTREEITEM next(HTREEITEM node, UINT relation) const;
  HWND m_tree;
};

}  // namespace hs::ui
