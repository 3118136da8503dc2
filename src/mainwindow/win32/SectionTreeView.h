#pragma once
// tvRegistry: the tree control over the section-tree model. It is always
// fully expanded (a collapse is refused), shows each node's state as state
// image 1 or 2 and its kind as its node image, whose index is the node's
// task number (both our pictures, at the size the window's DPI asks for), and changes a check only
// on a press of a mouse button on a state icon or on Space for the focused node; the model applies
// the rules.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <functional>
#include <vector>

#include "ui/SectionTree.h"
#include "widgets/win32/GuiHandles.h"
#include "widgets/win32/TreeView.h"

namespace hs::mainwindow {

class SectionTreeView {
 public:
  // Fills `tree` from `model` and subclasses it; `model` must outlive it.
  SectionTreeView(HWND tree, ui::SectionTree& model);
  SectionTreeView(const SectionTreeView&) = delete;
  SectionTreeView& operator=(const SectionTreeView&) = delete;
  ~SectionTreeView();

  HWND hwnd() const { return m_tree; }
  // Shows the pictures drawn for `dpi` (at creation: the window's DPI).
  void UseImagesFor(UINT dpi);
  // After the model changed outside a click: states onto the control.
  void ShowStates();
  // The parent's WM_NOTIFY for this tree; true when handled.
  bool OnNotify(const NMHDR& header, LRESULT& result);

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  void Populate();
  bool OnButtonDown(LPARAM position);
  bool OnKeyDown(WPARAM key);
  void Toggle(std::size_t index);
  std::size_t IndexOf(HTREEITEM item) const;

  HWND m_tree;
  ui::SectionTree& m_model;
  ui::TreeView m_view;
  std::vector<HTREEITEM> m_items;  // model order
  ui::UniqueHimagelist m_nodeImages;
  ui::UniqueHimagelist m_stateImages;
};

}  // namespace hs::mainwindow
