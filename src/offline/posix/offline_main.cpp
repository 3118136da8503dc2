// hivesweep-offline: the engine over a Windows that does not start, from a
// Linux rescue system with its volume mounted (read-only is enough for
// reading; repair, restore and undo-commit need it mounted for writing).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "offline/OfflineUsage.h"
#include "offline/posix/OfflineCommands.h"

namespace {

int Usage(FILE* stream, int exitCode) {
  std::fputs(hs::offline::OfflineGeneralUsage().c_str(), stream);
  return exitCode;
}

int RunHelp(const std::vector<std::string>& args) {
  if (args.empty()) return Usage(stdout, hs::offline::kExitOk);
  const std::string usage = hs::offline::OfflineCommandUsage(args.front());
  if (usage.empty() || args.size() > 1) return Usage(stderr, hs::offline::kExitUsage);
  std::fputs(usage.c_str(), stdout);
  return hs::offline::kExitOk;
}

}  // namespace

namespace hs::offline {

const std::vector<OfflineCommand>& OfflineCommands() {
  static const std::vector<OfflineCommand> commands = {{"check", RunCheck},
                                                       {"scan", RunScanOffline},
                                                       {"users", RunUsers},
                                                       {"backups", RunBackupsOffline},
                                                       {"export", RunExport},
                                                       {"repair", RunRepairOffline},
                                                       {"restore", RunRestoreOffline},
                                                       {"undo-commit", RunUndoCommit},
                                                       {"help", RunHelp}};
  return commands;
}

}  // namespace hs::offline

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage(stderr, hs::offline::kExitUsage);
  const std::string command = args.front();
  args.erase(args.begin());
  if (hs::IsHelpFlag(command)) return Usage(stdout, hs::offline::kExitOk);
  if (command == "--version" && args.empty()) {
    std::printf("%s\n", HS_VERSION);
    return hs::offline::kExitOk;
  }
  for (const hs::offline::OfflineCommand& entry : hs::offline::OfflineCommands()) {
    if (command != entry.name) continue;
    if (command != "help" && hs::AsksForHelp(args)) {
      std::fputs(hs::offline::OfflineCommandUsage(command).c_str(), stdout);
      return hs::offline::kExitOk;
    }
    return entry.run(args);
  }
  std::fprintf(stderr, "hivesweep-offline: unknown command '%s'\n", command.c_str());
  return Usage(stderr, hs::offline::kExitUsage);
}
