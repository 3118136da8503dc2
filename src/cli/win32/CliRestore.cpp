// hivesweep-cli restore [--force] [--json] FILE: verified restore of one backup file
#include <cstdio>

#include "cli/RestoreCommand.h"
#include "cli/win32/CliCommands.h"
#include "cli/win32/CliSettings.h"
#include "platform/win32/RecycleBin.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "restore/win32/RegistryEditorProcess.h"

namespace hs::cli {
namespace {

int Print(const CommandOutput& output) {
  std::fputs(output.out.c_str(), stdout);
  std::fputs(output.err.c_str(), stderr);
  return output.exitCode;
}

}  // namespace

int RunRestore(const std::vector<std::string>& args) {
  win32::Win32Registry registry;
  win32::Win32FileSystem files;
  win32::Win32RegistryEditor editor;
  const CliProcess process = PrepareCliProcess(files);
  return Print(RunRestoreCommand(args, files, registry, editor, process.settings.DeleteBackupFile,
                                 process.settings.OutputDirectory, process.texts,
                                 win32::PutBackFromRecycleBin));
}

}  // namespace hs::cli
