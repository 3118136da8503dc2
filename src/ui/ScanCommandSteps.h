#pragma once
// The main window's scan command as steps over plain data: the checked
// sections become the task list, the progress dialog fills the rows, then all
// rows are checked, the result filter runs and the counts are refreshed. The
// window supplies what only it can do through ScanCommandHost.
#include <string>
#include <vector>

#include "findings/ResultFilter.h"
#include "platform/SystemFacts.h"
#include "scan/Finding.h"
#include "ui/SectionTree.h"

namespace hs::ui {

class ScanCommandHost {
 public:
  virtual ~ScanCommandHost() = default;
  // The "Registry key" and "Value" columns back to 300 and 150.
  virtual void ResetKeyAndValueColumns() = 0;
  // Shows the progress dialog for `tasks` modally; the rows it finds are
  // appended to the rows the command cleared before.
  virtual void RunProgressDialog(const std::vector<std::string>& tasks) = 0;
  // Column sizes after the scan: fit to contents, or widen narrow columns to
  // 120 when no row is left.
  virtual void FitColumns(bool anyRows) = 0;
  virtual void RefreshCounts() = 0;
  virtual void Beep() = 0;
};

// What the filter reads besides the rows.
struct ScanFilterInputs {
  const std::vector<std::string>& ignoreValueList;
  const std::vector<std::string>& ignoreKeyList;
  const UnrepairedLists& unrepaired;
  WindowsVersionInfo windowsVersion;
  bool beep = false;
};

// Runs the scan command. Returns false when no section is checked (nothing
// happened: the old rows stay). An error inside a step ends the command
// silently with whatever rows there are. A stopped scan keeps every row it
// found: the runner never leaves a half-added one.
bool ScanRegistry(const SectionTree& tree, std::vector<Finding>& rows,
                  const ScanFilterInputs& filter, ScanCommandHost& host);

}  // namespace hs::ui
