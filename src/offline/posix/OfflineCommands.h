#pragma once
// The commands of hivesweep-offline. Each takes its arguments (after the
// command name) and returns the exit code; output goes to stdout/stderr.
#include <string>
#include <vector>

namespace hs::offline {

struct OfflineCommand {
  const char* name;
  int (*run)(const std::vector<std::string>& args);
};

const std::vector<OfflineCommand>& OfflineCommands();

int RunCheck(const std::vector<std::string>& args);
int RunUsers(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunScanOffline(const std::vector<std::string>& args);
int RunBackupsOffline(const std::vector<std::string>& args);
int RunRepairOffline(const std::vector<std::string>& args);
int RunRestoreOffline(const std::vector<std::string>& args);
int RunUndoCommit(const std::vector<std::string>& args);

// "--windows DIR" and the like: the option's value, or an error.
struct OfflineArgs {
  std::string windows, user, hive, key, out, report, sections;
  std::vector<std::string> drives;
  bool json = false;
  bool dryRun = false, force = false, latest = false, items = false;
  std::vector<std::string> rest;  // what the options `allowed` calls "FILE"
  std::string error;
};
// Parses the options `allowed` names (e.g. {"--windows", "--json"}).
OfflineArgs ParseOfflineArgs(const std::vector<std::string>& args,
                             const std::vector<std::string>& allowed);
int OfflineBadUsage(const std::string& command, const std::string& error);

}  // namespace hs::offline
