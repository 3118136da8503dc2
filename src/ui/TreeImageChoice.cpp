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

}  // namespace hs::ui
