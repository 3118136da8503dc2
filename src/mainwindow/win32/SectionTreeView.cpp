#include "mainwindow/win32/SectionTreeView.h"

#include <algorithm>

#include "platform/win32/WideText.h"
#include "ui/TreeImageChoice.h"
#include "ui/win32/PictureIds.h"
#include "widgets/win32/Dpi.h"
#include "widgets/win32/Pictures.h"

namespace hs::mainwindow {

namespace {
constexpr UINT_PTR kTreeSubclassId = 1;
// Posted to the tree itself: expand everything again after a collapse that
// could not be refused.
constexpr UINT kExpandAgain = WM_APP + 0x100;

int StripId(int first, int size) {
  switch (size) {
    case 24:
      return first + 1;
    case 32:
      return first + 2;
    default:
      return first;
  }
}
}  // namespace

SectionTreeView::SectionTreeView(HWND tree, ui::SectionTree& model)
    : m_tree(tree), m_model(model), m_view(tree) {
  UseImagesFor(ui::WindowDpi(tree));
  Populate();
  ::SetWindowSubclass(m_tree, SubclassProc, kTreeSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

SectionTreeView::~SectionTreeView() {
  ::RemoveWindowSubclass(m_tree, SubclassProc, kTreeSubclassId);
  // The lists end with this view; the control may outlive it by a moment.
  if (m_stateImages) m_view.setImageLists(nullptr, nullptr);
}

void SectionTreeView::UseImagesFor(UINT dpi) {
  // No expand buttons and nothing beside the root: a narrow indent keeps the
  // captions in a narrow column.
  TreeView_SetIndent(m_tree, ui::ScaleToDpi(12, dpi));
  const int size = ui::TreeImageSizeForDpi(dpi);
  ui::UniqueHimagelist states =
      ui::ImageListOfStrip(ui::LoadPictureResource(StripId(HS_PICTURE_TREE_STATES_16, size)));
  // Entry N shows task N's picture: a node's image index is its task number.
  ui::UniqueHimagelist nodes = ui::ImageListOfStrip(
      ui::StripOfFrames(ui::LoadPictureResource(StripId(HS_PICTURE_TREE_NODES_16, size)),
                        ui::NodePicturesByTask(m_model)));
  if (!states) {
    // A program built without its pictures still shows check boxes.
    if (!m_stateImages) m_view.useCheckStateImages();
    return;
  }
  m_view.setImageLists(nodes.get(), states.get());
  m_nodeImages = std::move(nodes);
  m_stateImages = std::move(states);
}

void SectionTreeView::Populate() {
  std::vector<HTREEITEM> lastAtLevel(3, TVI_ROOT);
  for (std::size_t i = 0; i < m_model.size(); ++i) {
    const ui::SectionNode& node = m_model.node(i);
    const HTREEITEM parent = node.level == 0 ? TVI_ROOT : lastAtLevel[node.level - 1];
    const HTREEITEM item =
        m_view.append(parent, win32::Widen(node.caption), node.number, node.state);
    lastAtLevel[node.level] = item;
    m_items.push_back(item);
  }
  m_view.expandAll();
  if (!m_items.empty()) TreeView_SelectItem(m_tree, m_items.front());
}

void SectionTreeView::ShowStates() {
  for (std::size_t i = 0; i < m_items.size(); ++i) {
    m_view.setStateIndex(m_items[i], m_model.node(i).state);
  }
}

std::size_t SectionTreeView::IndexOf(HTREEITEM item) const {
  const auto found = std::find(m_items.begin(), m_items.end(), item);
  return static_cast<std::size_t>(found - m_items.begin());
}

void SectionTreeView::Toggle(std::size_t index) {
  if (index >= m_items.size()) return;
  m_model.ClickStateIcon(index);
  ShowStates();
}

// A collapse is refused when it is asked for. Some implementations of the
// control (Wine's) collapse from the keyboard or a double click whatever the
// answer, so a collapse that happened is undone once it is over.
bool SectionTreeView::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != m_tree) return false;
  const auto& change = *reinterpret_cast<const NMTREEVIEWW*>(&header);
  switch (header.code) {
    case TVN_ITEMEXPANDINGW:
      result = (change.action & TVE_COLLAPSE) ? TRUE : FALSE;  // TRUE refuses
      return true;
    case TVN_ITEMEXPANDEDW:
      if (change.action & TVE_COLLAPSE) ::PostMessageW(m_tree, kExpandAgain, 0, 0);
      result = 0;
      return true;
    default:
      return false;
  }
}

bool SectionTreeView::OnButtonDown(LPARAM position) {
  TVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  const HTREEITEM item = TreeView_HitTest(m_tree, &hit);
  if (!item || !(hit.flags & TVHT_ONITEMSTATEICON)) return false;
  ::SetFocus(m_tree);
  Toggle(IndexOf(item));
  return true;
}

bool SectionTreeView::OnKeyDown(WPARAM key) {
  if (key != VK_SPACE) return false;
  if (const HTREEITEM focused = TreeView_GetSelection(m_tree)) Toggle(IndexOf(focused));
  return true;
}

LRESULT CALLBACK SectionTreeView::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  auto* view = reinterpret_cast<SectionTreeView*>(self);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (view->OnButtonDown(lParam)) return 0;
      break;
    case WM_KEYDOWN:
      if (view->OnKeyDown(wParam)) return 0;
      break;
    case WM_CHAR:
      if (wParam == L' ') return 0;  // no incremental search on the toggle key
      break;
    case kExpandAgain:
      view->m_view.expandAll();
      return 0;
    default:
      break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace hs::mainwindow
