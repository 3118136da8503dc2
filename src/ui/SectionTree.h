#pragma once
// The section tree of the main window as data: the 22 nodes in tree order, each
// with its task number and check state, and the rules a click on a state icon
// follows. The tree control only mirrors this model, so the rules are tested
// natively and the scan's task list comes from one place.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace hs::ui {

// The control's state-image indices.
constexpr int kStateUnchecked = 1;
constexpr int kStateChecked = 2;

// What one walk over the tree does to each node it visits.
enum class WalkTreeMode : int {
  CollectTasks = -1,  // a checked node's number is appended to the task list
  UncheckAll = 1,
  CheckAll = 2,
  StoreChecks = 99,  // node state -> its check flag
  LoadChecks = 100,  // check flag -> node state
};

// Check flags indexed by node number (1 to 23; index 0 unused), as the
// settings keep them.
using SectionCheckFlags = std::array<bool, 24>;

struct SectionNode {
  int number = 0;  // the scan task number
  int level = 0;   // 0 root, 1 group or category, 2 hive under "Files and Folders"
  const char* caption = "";
  int state = kStateChecked;
};

class SectionTree {
 public:
  // All 22 nodes, checked.
  SectionTree();

  std::size_t size() const { return m_nodes.size(); }
  const SectionNode& node(std::size_t index) const { return m_nodes.at(index); }
  bool IsChecked(std::size_t index) const { return node(index).state == kStateChecked; }
  // Index of the parent in tree order; `index` itself for the root.
  std::size_t ParentOf(std::size_t index) const;

  // A press on the node's state icon: the node toggles, a root or group passes
  // its state down, and each ancestor is checked when any child is.
  // An index out of range changes nothing.
  void ClickStateIcon(std::size_t index);

  // Visits the node at `start`, its descendants and its later siblings with
  // theirs, in tree order. `flags` serves modes 99 and 100, `tasks` mode -1.
  void WalkTree(std::size_t start, WalkTreeMode mode, SectionCheckFlags& flags,
                std::vector<std::string>& tasks);

  // The scan's task list: numbers of every checked node, root and group
  // included, in tree order.
  std::vector<std::string> TaskList() const;

 private:
  void SetSubtree(std::size_t index, int state);
  void RecomputeFromChildren(std::size_t parent);
  std::size_t SubtreeEnd(std::size_t index) const;

  std::vector<SectionNode> m_nodes;
};

}  // namespace hs::ui
