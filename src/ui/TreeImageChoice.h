#pragma once
// Which of the section tree's pictures a window shows: the strips are drawn at
// 16, 24 and 32 pixels (100, 150 and 200 % scale), and each node kind has its
// own image. The node image list holds one entry per task number, so a node's
// image index is its task number.
#include <vector>

#include "ui/SectionTree.h"

namespace hs::ui {

inline constexpr int kTreeImageSizes[] = {16, 24, 32};

// The largest strip not wider than 16 pixels scaled to `dpi`, so an image
// never overlaps its row; 16 below 96 DPI, 32 from 192 up.
int TreeImageSizeForDpi(unsigned dpi);

// The node image of a node at `level` (0 root, 1 section, 2 an item below a
// section): its index in the node strip.
int NodeImageForLevel(int level);

// The strip picture of each entry of the node image list: entry N is the
// picture of the node of task N (by its level); entries with no task (0,
// gaps) take the root's.
std::vector<int> NodePicturesByTask(const SectionTree& tree);

}  // namespace hs::ui
