#include "ui/FindingCounts.h"

#include <algorithm>

namespace hs::ui {

std::size_t CheckedCount(const std::vector<Finding>& rows) {
  return static_cast<std::size_t>(
      std::count_if(rows.begin(), rows.end(), [](const Finding& row) { return row.Checked; }));
}

FindingCountTexts CountTextsFor(std::size_t rows, std::size_t checked,
                                const MessageLookup& lookup) {
  return {" " + std::to_string(rows) + " " + CountedText(rows, kProblemsFound, lookup),
          " " + std::to_string(checked) + " " + CountedText(checked, kProblemsChecked, lookup)};
}

}  // namespace hs::ui
