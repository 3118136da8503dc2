#pragma once
// Where this program is installed on the offline Windows and the settings
// it kept there: its folder from its uninstall entry (the 64-bit view, then
// the 32-bit one of a 64-bit Windows), else the default folder when it holds
// the program; its options.ini beside it, else in the user's application
// data, as the uninstaller looks for it.
#include <string>

#include "offline/posix/OfflineInstallation.h"
#include "platform/FileSystemBackend.h"
#include "settings/Settings.h"

namespace hs::offline {

struct InstalledProgram {
  std::string folder;         // Windows path ending in '\'; "" when not found
  std::string from;           // how it was found: "uninstall entry", "default folder"
  std::string programKey;     // its own key below HKEY_LOCAL_MACHINE (backup record)
  std::string settingsFile;   // the options.ini read, "" when none
  bool thirtyTwoBit = false;  // the x86 build: found in the 32-bit view or folder
};

// `volume` answers for the installation (PosixFileSystem).
InstalledProgram FindInstalledProgram(OfflineInstallation& installation, FileSystemBackend& volume);

// The program's settings: defaults for its folder, then the file found.
Settings InstalledSettings(FileSystemBackend& volume, InstalledProgram& program);

}  // namespace hs::offline
