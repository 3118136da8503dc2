#pragma once
// What the user is told after a repair about the checked rows it did not
// repair: one heading and one line per row (key, value, why), the same words
// in the window's list, its "Copy" and the console.
#include <string>
#include <vector>

#include "repair/Repair.h"

namespace hs {

// "3 items were not repaired; 2 of them stay checked in the list."
std::string NotRepairedHeading(const std::vector<NotRepaired>& rows);

// Tab-separated lines (key, value, reason) under a header line, CR LF ends:
// what "Copy" puts on the clipboard.
std::string NotRepairedTable(const std::vector<NotRepaired>& rows);

}  // namespace hs
