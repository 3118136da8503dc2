#include "findings/ListCommandState.h"

namespace hs {

ListCommandsEnabled ListCommandsEnabledFor(const std::vector<Finding>& rows,
                                           std::optional<std::size_t> focused) {
  ListCommandsEnabled enabled;
  enabled.saveToTextFile = !rows.empty();
  if (!focused || *focused >= rows.size()) return enabled;
  const bool fileRow = rows[*focused].Kind == FindingKind::fkFile;
  enabled.selectAllOfType = true;
  enabled.selectNoneOfType = true;
  enabled.evidenceDetails = true;
  enabled.addToIgnoreLists = !fileRow;
  enabled.openInRegedit = !fileRow;
  return enabled;
}

}  // namespace hs
