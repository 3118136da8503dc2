#pragma once
// The end of a run that wrote to an installation's hives: every changed
// hive committed (HiveCommit), or none at all when any hive had a failed
// hivex write; or, for a dry run, the list of what would be committed.
#include <string>
#include <vector>

#include "offline/posix/HiveCommit.h"
#include "offline/posix/OfflineInstallation.h"

namespace hs::offline {

struct InstallationCommit {
  std::vector<std::string> lines;  // one per hive, for standard error
  bool failed = false;             // something that should be written is not
  bool changed = false;            // some hive had edits
};

InstallationCommit CommitInstallation(const OfflineInstallation& installation, bool dryRun,
                                      const CommitHooks& hooks = {});

// The registry's refused writes as lines, "refused: ITEM: REASON".
std::vector<std::string> RefusalLines(const OfflineRegistry& registry);

}  // namespace hs::offline
