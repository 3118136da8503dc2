#include "ui/SectionTree.h"

namespace hs::ui {

namespace {

struct NodeShape {
  int number;
  int level;
  const char* caption;
};

// Tree order; the numbers are the scan task numbers.
constexpr NodeShape kNodes[] = {
    {1, 0, "My Computers"},         {2, 1, "Files and Folders"},
    {3, 2, "HKEY_LOCAL_MACHINE"},   {4, 2, "HKEY_CURRENT_USER"},
    {5, 2, "HKEY_USERS"},           {6, 1, "Software Locations"},
    {7, 1, "Windows Fonts"},        {8, 1, "Invalid Help Files"},
    {9, 1, "Shared DLLs"},          {10, 1, "Startup Programs"},
    {11, 1, "Add/Remove Programs"}, {12, 1, "File Extensions"},
    {13, 1, "Custom Controls"},     {14, 1, "Obsolete Software"},
    {15, 1, "Windows Services"},    {16, 1, "Start Menu"},
    {17, 1, "Shortcuts"},           {18, 1, "Sound and Appevents"},
    {19, 1, "Invalid ActiveX"},     {20, 1, "MRU and History Lists"},
    {21, 1, "Installer"},           {22, 1, "Applications"},
};

int Toggled(int state) {
  return state == kStateChecked ? kStateUnchecked : kStateChecked;
}

}  // namespace

SectionTree::SectionTree() {
  for (const NodeShape& shape : kNodes) {
    m_nodes.push_back({shape.number, shape.level, shape.caption, kStateChecked});
  }
}

std::size_t SectionTree::ParentOf(std::size_t index) const {
  const int level = node(index).level;
  for (std::size_t i = index; i-- > 0;) {
    if (m_nodes[i].level < level) return i;
  }
  return index;
}

// One past the last node of the subtree at `index`.
std::size_t SectionTree::SubtreeEnd(std::size_t index) const {
  std::size_t end = index + 1;
  while (end < m_nodes.size() && m_nodes[end].level > m_nodes[index].level) ++end;
  return end;
}

void SectionTree::SetSubtree(std::size_t index, int state) {
  for (std::size_t i = index; i < SubtreeEnd(index); ++i) m_nodes[i].state = state;
}

void SectionTree::RecomputeFromChildren(std::size_t parent) {
  bool anyChecked = false;
  for (std::size_t i = parent + 1; i < SubtreeEnd(parent); ++i) {
    if (m_nodes[i].level == m_nodes[parent].level + 1 && m_nodes[i].state == kStateChecked) {
      anyChecked = true;
    }
  }
  m_nodes[parent].state = anyChecked ? kStateChecked : kStateUnchecked;
}

void SectionTree::ClickStateIcon(std::size_t index) {
  if (index >= m_nodes.size()) return;
  const int state = Toggled(m_nodes[index].state);
  SetSubtree(index, state);
  // Walk up: the level-2 node's parent first, then the root.
  for (std::size_t child = index; m_nodes[child].level > 0;) {
    const std::size_t parent = ParentOf(child);
    RecomputeFromChildren(parent);
    child = parent;
  }
}

void SectionTree::WalkTree(std::size_t start, WalkTreeMode mode, SectionCheckFlags& flags,
                           std::vector<std::string>& tasks) {
  if (start >= m_nodes.size()) return;
  const int startLevel = m_nodes[start].level;
  for (std::size_t i = start; i < m_nodes.size() && m_nodes[i].level >= startLevel; ++i) {
    SectionNode& n = m_nodes[i];
    switch (mode) {
      case WalkTreeMode::UncheckAll:
      case WalkTreeMode::CheckAll:
        n.state = static_cast<int>(mode);
        break;
      case WalkTreeMode::StoreChecks:
        flags.at(static_cast<std::size_t>(n.number)) = n.state == kStateChecked;
        break;
      case WalkTreeMode::LoadChecks:
        n.state = flags.at(static_cast<std::size_t>(n.number)) ? kStateChecked : kStateUnchecked;
        break;
      case WalkTreeMode::CollectTasks:
        if (n.state == kStateChecked) tasks.push_back(std::to_string(n.number));
        break;
    }
  }
}

std::vector<std::string> SectionTree::TaskList() const {
  SectionTree walked = *this;
  SectionCheckFlags unused{};
  std::vector<std::string> tasks;
  walked.WalkTree(0, WalkTreeMode::CollectTasks, unused, tasks);
  return tasks;
}

}  // namespace hs::ui
