#pragma once
// The console repair: "repair [--sections LIST] [--backup-dir DIR] [--json]
// [--quiet]". The scan is the console scan's; this part repairs every row it
// found into one backup file, without a restore point, and tells what was not
// repaired and why.
#include <optional>
#include <string>
#include <vector>

#include "repair/Repair.h"

namespace hs {

struct RepairCommandOptions {
  std::vector<std::string> scanArgs;  // "--sections" and its list, for the scan's parser
  std::optional<std::string> backupDir;
  bool json = false;   // one JSON document on standard output
  bool quiet = false;  // no progress on standard error
};

struct RepairArgumentsResult {
  std::optional<RepairCommandOptions> options;
  std::string error;  // set when options is empty
};

RepairArgumentsResult ParseRepairArguments(const std::vector<std::string>& args);

struct CommandOutput {
  int exitCode = 0;  // 0 ran to its end, 2 bad usage or input, 3 environment error
  std::string out;   // lines ended by "\n"
  std::string err;
};

// "There are total N problems to be repaired."
std::string RepairSummarySentence(int processedCount, const Translation& texts = {});

// Checks every row and repairs all of them into a backup file of `folder`
// (created when missing). Exit code 3 when the folder cannot be created or
// the backup file cannot be written; the message then carries the system's
// reason. The text form: the summary, "Backup file: ..." and one
// "Not repaired: ..." line per row; with `json`, one document (see
// RepairOutcomeJson) and the same exit code.
CommandOutput RunRepairCommand(RegistryBackend& registry, FileSystemBackend& fs,
                               std::vector<Finding> findings, const std::string& folder,
                               const RepairHooks& hooks = {}, bool json = false);

// {"processed": N, "backupFile": path or null (nothing written),
// "backupNotRecorded": why the backup is missing from the backup record (a
// restore then needs --force) or null, "completed": bool, "error": text or
// null, "rows": [...]}: every row given, in list
// order, as {"problem", "key", "value", "kind", "task", "outcome"
// ("repaired" or "not repaired"), "reason" (null when repaired)}.
std::string RepairOutcomeJson(const std::vector<Finding>& rows, const RepairOutcome& outcome,
                              const std::string& recordProblem = {});

}  // namespace hs
