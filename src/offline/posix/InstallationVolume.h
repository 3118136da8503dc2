#pragma once
// The OfflineVolume of an installation, from its hives: drive map, the
// environment a process of the chosen user would start with, the special
// folders the scan asks for and the ANSI code page. Only what the hives
// record; a variable or folder they do not give stays unknown.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "offline/posix/OfflineInstallation.h"
#include "offline/posix/OfflineVolume.h"

namespace hs::offline {

// "D=/mnt/data" -> 'D', "/mnt/data". False when the letter or folder is bad.
bool ParseDriveOption(const std::string& option, char& letter, std::string& folder);

// `drives` are --drive options already checked; the installation's own
// letter always maps to its volume root. `notes` receives what could not be
// taken from the hives (an unsupported code page...), one line each.
OfflineVolume InstallationVolume(OfflineInstallation& installation,
                                 const std::optional<Profile>& user,
                                 const std::map<char, std::string>& drives,
                                 std::vector<std::string>& notes);

}  // namespace hs::offline
