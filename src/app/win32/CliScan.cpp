// "hivesweep-cli scan": the scan of the window's full tree (or the tasks
// given) over the live registry and file system, checked and filtered, as a
// text report or JSON. The work itself is in app/ScanCommand.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/RegGlobal.h"
#include "app/ScanCommand.h"
#include "app/win32/CliCommands.h"
#include "app/win32/CliSettings.h"
#include "app/win32/SystemFacts.h"
#include "platform/win32/ProgramLocation.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "settings/SettingsFile.h"

namespace hs::cli {
namespace {

constexpr const char* kScanUsage =
    "usage: hivesweep-cli scan [--sections N,N,...] [--report FILE] [--json]\n"
    "       (--enumerate-only: benchmark yardstick, walks unchecked the trees of tasks 3-5\n"
    "        and the services key of task 15 that are in the list; without --sections,\n"
    "        every tree the full scan reads)\n";

void WriteStdout(const std::string& bytes) {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

int ScanMain(const std::vector<std::string>& args) {
  const ScanArgumentsResult parsed = ParseScanArguments(args);
  if (!parsed.options) {
    std::fprintf(stderr, "hivesweep-cli scan: %s\n%s", parsed.error.c_str(), kScanUsage);
    return kExitUsage;
  }
  const ScanCommandOptions& options = *parsed.options;
  win32::Win32Registry registry;
  static win32::Win32FileSystem files;  // the process's file system from here on
  if (options.enumerateOnly) {
    WriteStdout(RunEnumerationOnly(registry, options.tasks));
    return kExitOk;
  }
  InitSystemFacts();
  SetProgramEnvironment(files, win32::ProgramFolder());
  AppSettings() = LoadCliSettings(files);  // the language of the texts, among others
  const Settings& settings = AppSettings();
  const ScanSettings scanSettings = ScanSettings::From(settings, WindowsVersionCode(), IsWow64());
  const ScanCommandResult result =
      RunScanCommand(registry, files, scanSettings, settings, options.tasks);
  for (const TaskError& error : result.taskErrors)
    std::fprintf(stderr, "hivesweep-cli scan: task %d ended early: %s\n", error.task,
                 error.message.c_str());
  const std::string output = RenderScanOutput(result.findings, options.json);
  if (!options.reportFile) {
    WriteStdout(output);
    return kExitOk;
  }
  if (!WriteOutputFile(files, *options.reportFile, output)) {
    std::fprintf(stderr, "hivesweep-cli scan: cannot write the report to %s\n",
                 options.reportFile->c_str());
    return kExitEnvironment;
  }
  return kExitOk;
}

}  // namespace

int RunScan(const std::vector<std::string>& args) { return ScanMain(args); }

}  // namespace hs::cli
