// hivesweep-cli startup list|disable|enable: the startup entries and their state
#include <cstdio>

#include "cli/StartupCommand.h"
#include "cli/win32/CliCommands.h"
#include "cli/win32/CliSettings.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "startup/StartupApproval.h"

namespace hs::cli {

int RunStartup(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<StartupArguments> parsed = ParseStartupArguments(args, error);
  if (!parsed) return BadUsage("startup", error);
  win32::Win32Registry registry;
  win32::Win32FileSystem files;
  const CliProcess process = PrepareCliProcess(files);
  const CommandOutput output =
      RunStartupCommand(*parsed, registry, files,
                        ProgramStartupListOptions(process.facts.WindowsVersionCode(),
                                                  process.facts.wow64, process.texts),
                        FileTimeNow);
  std::fputs(output.out.c_str(), stdout);
  std::fputs(output.err.c_str(), stderr);
  return output.exitCode;
}

}  // namespace hs::cli
