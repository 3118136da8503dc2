#include "ui/TreeImageChoice.h"

#include <algorithm>

namespace hs::ui {

int TreeImageSizeForDpi(unsigned dpi) {
  const unsigned wanted = dpi * 16 / 96;
  int chosen = kTreeImageSizes[0];
  for (const int size : kTreeImageSizes)
    if (static_cast<unsigned>(size) <= wanted) chosen = size;
  return chosen;
}

int NodeImageForLevel(int level) {
  return std::clamp(level, 0, 2);
}

std::vector<int> NodePicturesByTask(const SectionTree& tree) {
  std::vector<int> pictures;
  for (std::size_t i = 0; i < tree.size(); ++i) {
    const SectionNode& node = tree.node(i);
    if (node.number < 0) continue;
    const auto entry = static_cast<std::size_t>(node.number);
    if (pictures.size() <= entry) pictures.resize(entry + 1, NodeImageForLevel(0));
    pictures[entry] = NodeImageForLevel(node.level);
  }
  return pictures;
}

}  // namespace hs::ui
