// hivesweep-offline repair: hivesweep-cli's repair (cli/RepairCommand) over
// the installation's hives, its backup written to the installed program's
// backup folder on the volume and recorded in the offline SOFTWARE hive;
// the hives it changed are committed at the end.
#include <cstdio>

#include "cli/ConsoleScan.h"
#include "cli/RepairCommand.h"
#include "offline/ClassesLayer.h"
#include "offline/OfflineUsage.h"
#include "offline/posix/InstallationCommit.h"
#include "offline/posix/OfflineSession.h"
#include "platform/memory/MemoryFileSystem.h"

namespace hs::offline {
namespace {

// The repair's own options go to its parser, the rest to ParseOfflineArgs.
void SplitRepairArgs(const std::vector<std::string>& args, std::vector<std::string>& own,
                     std::vector<std::string>& repair) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool repairOption =
        args[i] == "--sections" || args[i] == "--json" || args[i] == "--quiet";
    std::vector<std::string>& to = repairOption ? repair : own;
    to.push_back(args[i]);
    const bool takesValue = args[i] == "--sections" || args[i] == "--windows" ||
                            args[i] == "--user" || args[i] == "--drive";
    if (takesValue && i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0)
      to.push_back(args[++i]);
  }
}

// A dry run writes its backup into memory: it is written, read back and
// checked as in a real run, and nothing reaches the volume.
std::unique_ptr<MemoryFileSystem> DryRunFiles(PosixFileSystem& volume) {
  auto files = std::make_unique<MemoryFileSystem>();
  files->setAnsiCodePage(
      std::shared_ptr<const CodePage>(&volume.ansiCodePage(), [](const CodePage*) {}));
  return files;
}

}  // namespace

int RunRepairOffline(const std::vector<std::string>& args) {
  std::vector<std::string> own, repairArgs;
  SplitRepairArgs(args, own, repairArgs);
  const OfflineArgs parsed = ParseOfflineArgs(own, {"--windows", "--user", "--drive", "--dry-run"});
  if (!parsed.error.empty()) return OfflineBadUsage("repair", parsed.error);
  const RepairArgumentsResult repair = ParseRepairArguments(repairArgs);
  const ScanArgumentsResult scanArgs =
      repair.options ? ParseScanArguments(repair.options->scanArgs) : ScanArgumentsResult{};
  if (!repair.options || !scanArgs.options)
    return OfflineBadUsage("repair", repair.options ? scanArgs.error : repair.error);
  int exitCode = kExitOk;
  std::optional<OfflineSession> session = OpenSession(
      "repair", parsed, true, exitCode, parsed.dryRun ? SessionUse::DryRun : SessionUse::Write);
  if (!session) return exitCode;
  PrintSessionNotes("repair", *session);
  if (session->program.folder.empty()) {
    std::fprintf(stderr,
                 "hivesweep-offline repair: Corvane Hivesweep is not installed there, so it "
                 "has no backup folder whose backups the program would list\n");
    return kExitEnvironment;
  }
  const cli::CliProcess process = session->process();
  const ScanSettings scanSettings =
      ScanSettings::From(process.settings, process.facts, process.texts);
  OfflineRegistry& registry = session->installation->registry();
  const ScanCommandResult scan =
      cli::ScanWithProgress(registry, *session->volume, scanSettings, process.settings,
                            scanArgs.options->tasks, TerminalProgress(repair.options->quiet));
  for (const TaskError& error : scan.taskErrors)
    std::fprintf(stderr, "hivesweep-offline repair: scan task %d ended early: %s\n", error.task,
                 error.message.c_str());
  std::unique_ptr<MemoryFileSystem> dryRunFiles =
      parsed.dryRun ? DryRunFiles(*session->volume) : nullptr;
  RepairHooks hooks;
  hooks.texts = process.texts;
  FileSystemBackend& backupFiles =
      dryRunFiles ? static_cast<FileSystemBackend&>(*dryRunFiles) : *session->volume;
  // Its backup names the classes layer of each key, so that a restore puts
  // the key back into the hive it came from.
  const CommandOutput output =
      RunRepairCommand(registry, backupFiles, NameClassesRowsByLayer(registry, scan.findings),
                       process.settings.OutputDirectory, hooks, repair.options->json);
  std::fputs(output.out.c_str(), stdout);
  std::fflush(stdout);
  std::fputs(output.err.c_str(), stderr);
  PrintLines("repair", RefusalLines(registry));
  const InstallationCommit commit = CommitInstallation(*session->installation, parsed.dryRun);
  PrintLines("repair", commit.lines);
  if (parsed.dryRun)
    PrintLines("repair", {"dry run: nothing was written (the backup was made in memory only)"});
  if (output.exitCode != kExitOk) return output.exitCode;
  if (commit.failed) return kExitEnvironment;
  return registry.refusals().empty() && !session->stale ? kExitOk : kExitStale;
}

}  // namespace hs::offline
