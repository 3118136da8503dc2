#include "offline/posix/InstallationCommit.h"

namespace hs::offline {

InstallationCommit CommitInstallation(const OfflineInstallation& installation, bool dryRun,
                                      const CommitHooks& hooks) {
  InstallationCommit result;
  std::vector<HiveFile*> changed;
  for (const HiveUse& use : installation.hives()) {
    if (!use.hive || !use.hive->changed()) continue;
    changed.push_back(use.hive.get());
    if (use.hive->poisoned()) result.failed = true;
  }
  result.changed = !changed.empty();
  if (result.failed) {
    // hivex cannot take a failed write back: nothing of this run is written.
    for (HiveFile* hive : changed)
      result.lines.push_back("not committed: " + hive->state().path +
                             (hive->poisoned() ? " (a write to it failed)" : "") +
                             "; no hive was changed");
    return result;
  }
  for (HiveFile* hive : changed) {
    if (dryRun) {
      result.lines.push_back("would commit: " + hive->state().path);
      continue;
    }
    const CommitResult commit = CommitHive(*hive, hooks);
    if (commit.committed)
      result.lines.push_back("committed: " + hive->state().path + " (the old file is kept as " +
                             commit.keptAs + "; undo-commit puts it back)");
    if (!commit.error.empty())
      result.lines.push_back((commit.committed ? "warning: " : "not committed: ") + commit.error);
    if (!commit.committed) {
      result.failed = true;
      break;  // the hives after it keep their files too
    }
  }
  return result;
}

std::vector<std::string> RefusalLines(const OfflineRegistry& registry) {
  std::vector<std::string> lines;
  for (const WriteRefusal& refusal : registry.refusals())
    lines.push_back("refused: " + refusal.item + ": " + refusal.reason);
  return lines;
}

}  // namespace hs::offline
