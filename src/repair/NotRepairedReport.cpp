#include "repair/NotRepairedReport.h"

#include <algorithm>

namespace hs {

std::string NotRepairedHeading(const std::vector<NotRepaired>& rows) {
  const auto kept = static_cast<std::size_t>(
      std::count_if(rows.begin(), rows.end(), [](const NotRepaired& row) { return row.kept; }));
  std::string text = std::to_string(rows.size()) +
                     (rows.size() == 1 ? " item was not repaired" : " items were not repaired");
  if (kept == rows.size())
    return text +
           (kept == 1 ? "; it stays checked in the list." : "; they stay checked in the list.");
  if (kept == 0) return text + "; what they name is no longer there.";
  return text + "; " + std::to_string(kept) + " of them stay checked in the list.";
}

std::string NotRepairedTable(const std::vector<NotRepaired>& rows) {
  std::string table = "Registry key\tValue\tReason\r\n";
  for (const NotRepaired& row : rows)
    table += row.row.KeyPath + "\t" + row.row.ValueText + "\t" + row.reason + "\r\n";
  return table;
}

}  // namespace hs
