#include "cli/RepairCommand.h"

#include <algorithm>

#include "cli/CommandLine.h"
#include "findings/Report.h"
#include "settings/CountedMessage.h"

namespace hs {

RepairArgumentsResult ParseRepairArguments(const std::vector<std::string>& args) {
  RepairArgumentsResult result;
  RepairCommandOptions options;
  bool sectionsGiven = false;
  bool backupDirGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    bool ok = true;
    if (arg == "--sections") {
      ok = TakeOptionValue(args, i, sectionsGiven, value, result.error);
      if (ok) options.scanArgs = {arg, value};
    } else if (arg == "--backup-dir") {
      ok = TakeOptionValue(args, i, backupDirGiven, value, result.error);
      if (ok) options.backupDir = value;
    } else if (arg == "--json") {
      ok = TakeSwitch(arg, options.json, result.error);
    } else if (arg == "--quiet") {
      ok = TakeSwitch(arg, options.quiet, result.error);
    } else {
      result.error = "unexpected argument '" + arg + "' for repair";
      ok = false;
    }
    if (!ok) return result;
  }
  result.options = options;
  return result;
}

std::string RepairSummarySentence(int processedCount, const Translation& texts) {
  const auto count = static_cast<std::size_t>(std::max(processedCount, 0));
  return CountedText(count, kThereAreTotal, texts) + " " + std::to_string(processedCount) + " " +
         CountedText(count, kProblemsRepaired, texts);
}

namespace {

bool SameRow(const Finding& a, const Finding& b) {
  return a.Problem == b.Problem && a.KeyPath == b.KeyPath && a.ValueText == b.ValueText &&
         a.Kind == b.Kind && a.Task == b.Task;
}

// The reason a row was not repaired, or nothing when it was. Equal rows are
// matched one to one, so duplicates keep their own outcomes.
std::vector<std::optional<std::string>> RowReasons(const std::vector<Finding>& rows,
                                                   const RepairOutcome& outcome) {
  if (outcome.end == RepairEnd::FolderFailed)
    return std::vector<std::optional<std::string>>(rows.size(), "not attempted: " + outcome.error);
  std::vector<std::optional<std::string>> reasons(rows.size());
  std::vector<bool> used(outcome.notRepaired.size(), false);
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = 0; j < outcome.notRepaired.size(); ++j)
      if (!used[j] && SameRow(rows[i], outcome.notRepaired[j].row)) {
        used[j] = true;
        reasons[i] = outcome.notRepaired[j].reason;
        break;
      }
  return reasons;
}

std::string JsonOrNull(bool present, const std::string& text) {
  return present ? JsonQuoted(text) : "null";
}

// The run's error with the system's reason for the last failed file call,
// unless the error already ends in it.
std::string ErrorWithReason(FileSystemBackend& fs, const std::string& error) {
  const std::string reason = fs.lastErrorText();
  if (reason.empty() || error.find(reason) != std::string::npos) return error;
  return error + ": " + reason;
}

// The backup record's problem, when the backup file was written but could
// not be recorded (a restore will then need --force).
std::string RecordProblem(const RepairRun& run, const RepairOutcome& outcome) {
  return outcome.backupWritten ? run.BackupRecordProblem() : std::string();
}

std::string RepairText(const RepairOutcome& outcome, const std::string& recordProblem,
                       const Translation& texts) {
  std::string out = RepairSummarySentence(outcome.processedCount, texts) + "\n";
  if (outcome.backupWritten)
    out += "Backup file: " + outcome.backupFile + "\n";
  else
    out += "Backup file: none written (nothing was exported)\n";
  if (!recordProblem.empty())
    out += "Backup not recorded: " + recordProblem + "; restoring it will need restore --force\n";
  if (!outcome.recycledFilesNote.empty())
    out +=
        "Shortcut files moved to the Recycle Bin are named in: " + outcome.recycledFilesNote + "\n";
  for (const NotRepaired& failed : outcome.notRepaired) {
    out += "Not repaired: " + failed.row.KeyPath;
    if (!failed.row.ValueText.empty()) out += " [" + failed.row.ValueText + "]";
    out += ": " + failed.reason + "\n";
  }
  return out;
}

}  // namespace

std::string RepairOutcomeJson(const std::vector<Finding>& rows, const RepairOutcome& outcome,
                              const std::string& recordProblem) {
  const bool stopped = outcome.end == RepairEnd::FolderFailed || outcome.end == RepairEnd::Aborted;
  std::string out =
      "{\"processed\": " + std::to_string(outcome.processedCount) +
      ", \"backupFile\": " + JsonOrNull(outcome.backupWritten, outcome.backupFile) +
      ", \"backupNotRecorded\": " + JsonOrNull(!recordProblem.empty(), recordProblem) +
      ", \"recycledFilesNote\": " +
      JsonOrNull(!outcome.recycledFilesNote.empty(), outcome.recycledFilesNote) +
      ", \"completed\": " + (stopped ? "false" : "true") +
      ", \"error\": " + JsonOrNull(stopped, outcome.error) + ", \"rows\": [";
  const std::vector<std::optional<std::string>> reasons = RowReasons(rows, outcome);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Finding& row = rows[i];
    out += i == 0 ? "\n  " : ",\n  ";
    out += "{" + FindingJsonMembers(row) + ", \"outcome\": \"" +
           (reasons[i] ? "not repaired" : "repaired") +
           "\", \"reason\": " + JsonOrNull(reasons[i].has_value(), reasons[i].value_or("")) + "}";
  }
  out += rows.empty() ? "]}\n" : "\n]}\n";
  return out;
}

CommandOutput RunRepairCommand(RegistryBackend& registry, FileSystemBackend& fs,
                               std::vector<Finding> findings, const std::string& folder,
                               const RepairHooks& hooks, bool json) {
  for (Finding& row : findings) row.Checked = true;
  const std::vector<Finding> given = findings;
  RepairHooks quiet = hooks;
  quiet.confirmCreateFolder = nullptr;  // no one to ask: the folder is created
  quiet.makeRestorePoint = nullptr;
  RepairRun run(registry, fs, folder, false, quiet);
  RepairOutcome outcome = run.Run(findings);

  CommandOutput output;
  if (outcome.end == RepairEnd::FolderFailed || outcome.end == RepairEnd::Aborted) {
    outcome.error = ErrorWithReason(fs, outcome.error);
    output.exitCode = 3;
    output.err =
        (outcome.end == RepairEnd::Aborted ? "The repair stopped: " : "") + outcome.error + "\n";
  }
  const std::string recordProblem = RecordProblem(run, outcome);
  if (json)
    output.out = RepairOutcomeJson(given, outcome, recordProblem);
  else if (outcome.end != RepairEnd::FolderFailed)
    output.out = RepairText(outcome, recordProblem, hooks.texts);
  return output;
}

}  // namespace hs
