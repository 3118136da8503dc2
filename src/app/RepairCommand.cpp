#include "app/RepairCommand.h"

#include "app/RegGlobal.h"

namespace hs {

RepairArgumentsResult ParseRepairArguments(const std::vector<std::string>& args) {
  RepairArgumentsResult result;
  RepairCommandOptions options;
  bool sectionsGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
    if (arg == "--sections" && !sectionsGiven && hasValue) {
      sectionsGiven = true;
      options.scanArgs = {arg, args[++i]};
    } else if (arg == "--backup-dir" && !options.backupDir && hasValue) {
      options.backupDir = args[++i];
    } else {
      result.error = "unexpected argument '" + arg + "' for repair";
      return result;
    }
  }
  result.options = options;
  return result;
}

std::string RepairSummarySentence(int processedCount) {
  return GetLanString("RES_ThereTotal", "There are total") + " " +
         std::to_string(processedCount) + " " +
         GetLanString("RES_RepairProblems", "problems to be repaired.");
}

CommandOutput RunRepairCommand(RegistryBackend& registry, FileSystemBackend& fs,
                               std::vector<Finding> findings, const std::string& folder,
                               const RepairHooks& hooks) {
  for (Finding& row : findings) row.Checked = true;
  RepairHooks quiet = hooks;
  quiet.confirmCreateFolder = nullptr;  // no one to ask: the folder is created
  quiet.makeRestorePoint = nullptr;
  RepairRun run(registry, fs, folder, false, quiet);
  const RepairOutcome outcome = run.Run(findings);

  CommandOutput output;
  if (outcome.end == RepairEnd::FolderFailed) {
    output.exitCode = 3;
    output.err = outcome.error + "\n";
    return output;
  }
  output.out = RepairSummarySentence(outcome.processedCount) + "\n";
  if (outcome.backupWritten)
    output.out += "Backup file: " + outcome.backupFile + "\n";
  else
    output.out += "Backup file: none written (nothing was exported)\n";
  if (outcome.backupWritten && !run.BackupRecordProblem().empty())
    output.out += "Backup not recorded: " + run.BackupRecordProblem() +
                  "; restoring it will need restore --force\n";
  for (const NotRepaired& failed : outcome.notRepaired) {
    output.out += "Not repaired: " + failed.row.KeyPath;
    if (!failed.row.ValueText.empty()) output.out += " [" + failed.row.ValueText + "]";
    output.out += ": " + failed.reason + "\n";
  }
  if (outcome.end == RepairEnd::Aborted) {
    output.exitCode = 3;
    output.err = "The repair stopped: " + outcome.error + "\n";
  }
  return output;
}

}  // namespace hs
