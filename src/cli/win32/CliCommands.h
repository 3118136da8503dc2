#pragma once
// The console companion's commands. Each lives in a file of its own and is
// listed once in CliCommands.cpp.
#include <string>
#include <vector>

#include "cli/ExitCodes.h"
#include "cli/RightsCheck.h"

namespace hs::cli {

struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>& args);
};

const std::vector<Command>& Commands();

int RunScan(const std::vector<std::string>& args);      // CliScan.cpp
int RunRepair(const std::vector<std::string>& args);    // CliRepair.cpp
int RunRestore(const std::vector<std::string>& args);   // CliRestore.cpp
int RunBackups(const std::vector<std::string>& args);   // CliBackups.cpp
int RunStartup(const std::vector<std::string>& args);   // CliStartup.cpp
int RunSections(const std::vector<std::string>& args);  // CliSections.cpp
int RunHelp(const std::vector<std::string>& args);      // CliCommands.cpp

// repair and restore asking `holdsRights` instead of the system whether this
// process may change the registry (RunRepair and RunRestore ask the system).
int RunRepairWith(const std::vector<std::string>& args, const RightsCheck& holdsRights);
int RunRestoreWith(const std::vector<std::string>& args, const RightsCheck& holdsRights);

// "hivesweep-cli COMMAND: ERROR" and the command's usage on standard error;
// returns kExitUsage.
int BadUsage(const char* command, const std::string& error);

}  // namespace hs::cli
