#include "cli/win32/CliCommands.h"

#include <cstdio>

#include "cli/CliUsage.h"

namespace hs::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"scan", RunScan},       {"repair", RunRepair},   {"restore", RunRestore},
      {"backups", RunBackups}, {"startup", RunStartup}, {"sections", RunSections},
      {"help", RunHelp},
  };
  return commands;
}

int BadUsage(const char* command, const std::string& error) {
  std::fprintf(stderr, "hivesweep-cli %s: %s\n%s", command, error.c_str(),
               CommandUsage(command).c_str());
  return kExitUsage;
}

int RunHelp(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fputs(GeneralUsage().c_str(), stdout);
    return kExitOk;
  }
  const std::string usage = args.size() == 1 ? CommandUsage(args[0]) : std::string();
  if (usage.empty()) return BadUsage("help", "no such command '" + args[0] + "'");
  std::fputs(usage.c_str(), stdout);
  return kExitOk;
}

}  // namespace hs::cli
