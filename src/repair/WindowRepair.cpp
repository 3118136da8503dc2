#include "repair/WindowRepair.h"

namespace hs {

namespace {

// Asks for the missing backup folder and creates it; false (with the outcome's
// end) when the command must stop.
bool PrepareFolder(FileSystemBackend& fs, const WindowRepairOptions& options,
                   const WindowRepairSteps& steps, RepairOutcome& outcome) {
  const std::string& folder = options.backupFolder;
  if (fs.probe(folder) != PathProbe::NotFound) return true;
  if (steps.confirmCreateFolder &&
      !steps.confirmCreateFolder(RepairRun::FolderQuestion(folder, options.texts))) {
    outcome.end = RepairEnd::FolderDeclined;
    return false;
  }
  if (CreateFolderTree(fs, folder) == FsStatus::Ok) return true;
  outcome.end = RepairEnd::FolderFailed;
  outcome.error = "Cannot create " + folder;
  return false;
}

}  // namespace

bool WantsRestorePoint(const WindowRepairOptions& options) {
  return options.restorePoint && options.windowsVersionCode >= 9 &&
         options.windowsVersionCode <= 12;
}

RepairOutcome RunWindowRepair(FileSystemBackend& fs, const WindowRepairOptions& options,
                              const WindowRepairSteps& steps, std::vector<Finding>& rows,
                              UnrepairedLists& unrepaired) {
  RepairOutcome outcome;
  if (!PrepareFolder(fs, options, steps, outcome)) {
    if (outcome.end == RepairEnd::FolderFailed && steps.showError) steps.showError(outcome.error);
    return outcome;
  }
  if (rows.empty()) {
    outcome.end = RepairEnd::EmptyList;
    return outcome;
  }
  if (WantsRestorePoint(options) && steps.makeRestorePoint && !steps.makeRestorePoint()) {
    outcome.end = RepairEnd::RestorePointCancelled;
    return outcome;
  }
  if (!steps.repair) return outcome;
  outcome = steps.repair(rows);
  if (outcome.end != RepairEnd::Completed) {
    if (steps.showError) steps.showError(outcome.error);
    return outcome;
  }
  RememberUnrepaired(outcome, unrepaired);
  if (options.showHint && steps.showSummary) steps.showSummary(outcome.processedCount);
  // Told whatever ShowHint says: a row the repair kept is not a matter of hints.
  if (!outcome.notRepaired.empty() && steps.showNotRepaired)
    steps.showNotRepaired(outcome.notRepaired);
  if (options.beep && steps.beep) steps.beep();
  return outcome;
}

RepairOutcome RepairIntoFolder(RegistryBackend& registry, FileSystemBackend& fs,
                               const std::string& folder, std::vector<Finding>& rows) {
  RepairRun run(registry, fs, folder, false);
  return run.Run(rows);
}

}  // namespace hs
