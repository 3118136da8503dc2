// hivesweep-cli repair [--sections N,N,...] [--backup-dir DIR]: the console
// scan, then the repair of every row it found into one backup file, without a
// restore point. The work itself is in app/RepairCommand.
#include <windows.h>

#include <cstdio>

#include "app/RepairCommand.h"
#include "app/ScanCommand.h"
#include "app/win32/CliCommands.h"
#include "app/win32/CliSettings.h"
#include "app/win32/SystemFacts.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"

namespace hs::cli {

int RunRepair(const std::vector<std::string>& args) {
  const RepairArgumentsResult parsed = ParseRepairArguments(args);
  const ScanArgumentsResult scanArgs =
      parsed.options ? ParseScanArguments(parsed.options->scanArgs) : ScanArgumentsResult{};
  if (!parsed.options || !scanArgs.options) {
    std::fprintf(stderr, "hivesweep-cli repair: %s\n",
                 (parsed.options ? scanArgs.error : parsed.error).c_str());
    return kExitUsage;
  }
  win32::Win32Registry registry;
  win32::Win32FileSystem files;
  // The user's ignore lists apply: a repair never deletes an ignored entry.
  const Settings settings = LoadCliSettings(files);
  InitSystemFacts();
  const ScanSettings scanSettings =
      ScanSettings::From(settings, WindowsVersionCode(), IsWow64(), CurrentUserSid());
  const ScanCommandResult scan =
      RunScanCommand(registry, files, scanSettings, settings, scanArgs.options->tasks);
  for (const TaskError& error : scan.taskErrors)
    std::fprintf(stderr, "hivesweep-cli repair: scan task %d ended early: %s\n", error.task,
                 error.message.c_str());
  const CommandOutput output =
      RunRepairCommand(registry, files, scan.findings,
                       parsed.options->backupDir.value_or(settings.OutputDirectory));
  std::fputs(output.out.c_str(), stdout);
  std::fflush(stdout);
  std::fputs(output.err.c_str(), stderr);
  return output.exitCode;
}

}  // namespace hs::cli
