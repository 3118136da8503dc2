// hivesweep-cli backups [--json]: the backup folder's files, newest first
#include <cstdio>

#include "cli/RestoreCommand.h"
#include "cli/win32/CliCommands.h"
#include "cli/win32/CliSettings.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"

namespace hs::cli {

int RunBackups(const std::vector<std::string>& args) {
  win32::Win32FileSystem files;
  win32::Win32Registry registry;
  const CliProcess process = PrepareCliProcess(files);
  const CommandOutput output =
      RunBackupsCommand(args, files, registry, process.settings.OutputDirectory, process.texts);
  std::fputs(output.out.c_str(), stdout);
  std::fputs(output.err.c_str(), stderr);
  return output.exitCode;
}

}  // namespace hs::cli
