#pragma once
// The backup folder the console commands use: option OutputDirectory, taken
// below the program's folder when it is not an absolute path.
#include <string>

#include "app/RegGlobal.h"
#include "platform/win32/ProgramLocation.h"

namespace hs::cli {

inline std::string BackupFolder() {
  const std::string& folder = AppSettings().OutputDirectory;
  const bool absolute = (folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\') ||
                        folder.rfind("\\\\", 0) == 0;
  return absolute ? folder : win32::ProgramFolder() + (folder.empty() ? "Backup" : folder);
}

}  // namespace hs::cli
