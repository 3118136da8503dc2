// "hivesweep-cli scan": the scan of the window's full tree (or the tasks
// given) over the live registry and file system, checked and filtered, as a
// text report or JSON. The work itself is in cli/ConsoleScan, shared with
// the offline program.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/ConsoleScan.h"
#include "cli/win32/CliCommands.h"
#include "cli/win32/CliProgress.h"
#include "cli/win32/CliSettings.h"
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
  win32::Win32Registry registry;
  win32::Win32FileSystem files;
  ConsoleScanHost host{
      "hivesweep-cli",
      registry,
      files,
      [&files] { return PrepareCliProcess(files); },
      QueryCurrentUserSid,
      [&files](const std::string& path, std::string& bytes) {
        return files.readFile(path, bytes) == FsStatus::Ok;
      },
      [&files](const std::string& path, const std::string& bytes, std::string& reason) {
        return WriteOutputFile(files, path, bytes, &reason);
      },
      WriteStdout,
      [](const std::string& text) { std::fputs(text.c_str(), stderr); },
      ConsoleProgressWriter};
  return RunConsoleScan(*parsed.options, host);
}

}  // namespace hs::cli
