#pragma once
// Which findings-list commands are enabled, from the list's rows and its
// focused row.
#include <cstddef>
#include <optional>
#include <vector>

#include "scan/Finding.h"

namespace hs {

struct ListCommandsEnabled {
  bool selectAll = true;
  bool selectNone = true;
  bool selectAllOfType = false;   // a row is focused
  bool selectNoneOfType = false;  // a row is focused
  bool addToIgnoreLists = false;  // a row is focused and is not a file row
  bool saveToTextFile = false;    // the list has rows
  bool openInRegedit = false;     // a row is focused and is not a file row
  bool evidenceDetails = false;   // a row is focused
};

ListCommandsEnabled ListCommandsEnabledFor(const std::vector<Finding>& rows,
                                           std::optional<std::size_t> focused);

}  // namespace hs
