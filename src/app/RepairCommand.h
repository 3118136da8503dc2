#pragma once
// The console repair: "repair [--sections N,N,...] [--backup-dir DIR]". The
// scan is the console scan's; this part repairs every row it found into one
// backup file, without a restore point, and tells what was not repaired.
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/Repair.h"

namespace hs {

struct RepairCommandOptions {
  std::vector<std::string> scanArgs;  // "--sections" and its list, for the scan's parser
  std::optional<std::string> backupDir;
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
std::string RepairSummarySentence(int processedCount);

// Checks every row and repairs all of them into a backup file of `folder`
// (created when missing). Exit code 3 when the folder cannot be created or
// the backup file cannot be written.
CommandOutput RunRepairCommand(RegistryBackend& registry, FileSystemBackend& fs,
                               std::vector<Finding> findings, const std::string& folder,
                               const RepairHooks& hooks = {});

}  // namespace hs
