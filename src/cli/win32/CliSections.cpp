// hivesweep-cli sections: the scan's sections with the names --sections takes
#include <cstdio>

#include "cli/ScanSections.h"
#include "cli/win32/CliCommands.h"
#include "cli/win32/CliSettings.h"
#include "platform/win32/Win32FileSystem.h"

namespace hs::cli {

int RunSections(const std::vector<std::string>& args) {
  if (!args.empty()) return BadUsage("sections", "sections takes no arguments");
  win32::Win32FileSystem files;
  // The problem texts in the user's language.
  std::fputs(RenderSectionList(PrepareCliProcess(files).texts).c_str(), stdout);
  return kExitOk;
}

}  // namespace hs::cli
