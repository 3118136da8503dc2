// "hivesweep-cli scan": the scan of the window's full tree (or the tasks
// given) over the live registry and file system, checked and filtered, as a
// text report or JSON. The work itself is in app/ScanCommand.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/RegGlobal.h"
#include "app/ScanCommand.h"
#include "app/win32/CliCommands.h"
#include "app/win32/CliProgress.h"
#include "app/win32/CliSettings.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"

namespace hs::cli {
namespace {

void WriteStdout(const std::string& bytes) {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

int RunScan(const std::vector<std::string>& args) {
  const ScanArgumentsResult parsed = ParseScanArguments(args);
  if (!parsed.options) return BadUsage("scan", parsed.error);
  const ScanCommandOptions& options = *parsed.options;
  win32::Win32Registry registry;
  static win32::Win32FileSystem files;  // the process's file system from here on
  if (options.enumerateOnly) {
    WriteStdout(RunEnumerationOnly(registry, options.tasks));
    return kExitOk;
  }
  const Settings& settings = PrepareCliProcess(files);
  const ScanSettings scanSettings = ScanSettings::From(settings, WindowsVersionCode(), IsWow64());
  const ScanCommandResult result =
      ScanWithProgress(registry, files, scanSettings, settings, options.tasks, options.quiet);
  for (const TaskError& error : result.taskErrors)
    std::fprintf(stderr, "hivesweep-cli scan: task %d ended early: %s\n", error.task,
                 error.message.c_str());
  const std::string output = RenderScanOutput(result.findings, options.json);
  if (!options.reportFile) {
    WriteStdout(output);
    return kExitOk;
  }
  std::string reason;
  if (!WriteOutputFile(files, *options.reportFile, output, &reason)) {
    std::fprintf(stderr, "hivesweep-cli scan: cannot write the report to %s%s%s\n",
                 options.reportFile->c_str(), reason.empty() ? "" : ": ", reason.c_str());
    return kExitEnvironment;
  }
  return kExitOk;
}

}  // namespace hs::cli
