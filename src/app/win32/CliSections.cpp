// hivesweep-cli sections: the scan's sections with the names --sections takes
#include <cstdio>

#include "app/ScanSections.h"
#include "app/win32/CliCommands.h"
#include "app/win32/CliSettings.h"
#include "platform/win32/Win32FileSystem.h"

namespace hs::cli {

int RunSections(const std::vector<std::string>& args) {
  if (!args.empty()) return BadUsage("sections", "sections takes no arguments");
  static win32::Win32FileSystem files;  // the process's file system from here on
  PrepareCliProcess(files);             // the problem texts in the user's language
  std::fputs(RenderSectionList().c_str(), stdout);
  return kExitOk;
}

}  // namespace hs::cli
