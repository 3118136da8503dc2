#include "ui/ScanCommandSteps.h"

#include <exception>

#include "findings/ListCommands.h"

namespace hs::ui {

namespace {

void FinishScan(std::vector<Finding>& rows, const ScanFilterInputs& filter, ScanCommandHost& host) {
  SetAllChecked(rows, true);
  host.RefreshCounts();
  host.FitColumns(!rows.empty());
  FilterResults(rows, filter.ignoreValueList, filter.ignoreKeyList, filter.unrepaired,
                filter.windowsVersion);
  host.RefreshCounts();
  if (filter.beep) host.Beep();
}

}  // namespace

bool ScanRegistry(const SectionTree& tree, std::vector<Finding>& rows,
                  const ScanFilterInputs& filter, ScanCommandHost& host) {
  const std::vector<std::string> tasks = tree.TaskList();
  try {
    if (rows.empty()) host.ResetKeyAndValueColumns();
    if (tasks.empty()) return false;
    rows.clear();
    host.RunProgressDialog(tasks);
    FinishScan(rows, filter, host);
  } catch (const std::exception&) {
    // The command ends quietly with the rows found so far.
  }
  return true;
}

}  // namespace hs::ui
