// hivesweep-cli repair: the console scan, then the repair of every row it
// found into one backup file, without a restore point. The work itself is in
// app/RepairCommand.
#include <windows.h>

#include <cstdio>

#include "cli/ConsoleScan.h"
#include "cli/RepairCommand.h"
#include "cli/ScanCommand.h"
#include "cli/win32/CliCommands.h"
#include "cli/win32/CliProgress.h"
#include "cli/win32/CliSettings.h"
#include "platform/win32/AdministratorRights.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"

namespace hs::cli {

int RunRepair(const std::vector<std::string>& args) {
  return RunRepairWith(args, win32::HoldsAdministratorRights);
}

int RunRepairWith(const std::vector<std::string>& args, const RightsCheck& holdsRights) {
  // First, so that a prompt without the rights learns it before a long scan.
  if (const auto refusal = RefuseWithoutRights("repair", holdsRights)) {
    std::fputs(refusal->err.c_str(), stderr);
    return refusal->exitCode;
  }
  const RepairArgumentsResult parsed = ParseRepairArguments(args);
  const ScanArgumentsResult scanArgs =
      parsed.options ? ParseScanArguments(parsed.options->scanArgs) : ScanArgumentsResult{};
  if (!parsed.options || !scanArgs.options)
    return BadUsage("repair", parsed.options ? scanArgs.error : parsed.error);
  const RepairCommandOptions& options = *parsed.options;
  win32::Win32Registry registry;
  win32::Win32FileSystem files;
  // The user's language and ignore lists apply: a repair never deletes an
  // ignored entry.
  const CliProcess process = PrepareCliProcess(files);
  const Settings& settings = process.settings;
  const ScanSettings scanSettings = ScanSettings::From(settings, process.facts, process.texts);
  const ScanCommandResult scan =
      ScanWithProgress(registry, files, scanSettings, settings, scanArgs.options->tasks,
                       ConsoleProgressWriter(options.quiet));
  for (const TaskError& error : scan.taskErrors)
    std::fprintf(stderr, "hivesweep-cli repair: scan task %d ended early: %s\n", error.task,
                 error.message.c_str());
  ShowProgressLine("Repairing " + std::to_string(scan.findings.size()) + " rows...", options.quiet);
  RepairHooks hooks;
  hooks.texts = process.texts;
  const CommandOutput output =
      RunRepairCommand(registry, files, scan.findings,
                       options.backupDir.value_or(settings.OutputDirectory), hooks, options.json);
  std::fputs(output.out.c_str(), stdout);
  std::fflush(stdout);
  std::fputs(output.err.c_str(), stderr);
  return output.exitCode;
}

}  // namespace hs::cli
