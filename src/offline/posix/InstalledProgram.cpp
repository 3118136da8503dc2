#include "offline/posix/InstalledProgram.h"

#include "common/Text.h"
#include "settings/SettingsFile.h"
#include "translation/IniFile.h"

namespace hs::offline {
namespace {

constexpr const char* kUninstallEntry =
    "Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane Hivesweep";
constexpr const char* kProgramKey = "Corvane Hivesweep";
constexpr const char* kProgramFile = "hivesweep.exe";

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

bool HoldsProgram(FileSystemBackend& volume, const std::string& folder) {
  return !folder.empty() && volume.probe(folder + kProgramFile) == PathProbe::File;
}

}  // namespace

InstalledProgram FindInstalledProgram(OfflineInstallation& installation,
                                      FileSystemBackend& volume) {
  InstalledProgram program;
  // The 32-bit build on a 64-bit Windows keeps its keys in the 32-bit view.
  for (const std::string view : {"SOFTWARE\\", "SOFTWARE\\Wow6432Node\\"}) {
    std::string location = installation.machineText(view + kUninstallEntry, "InstallLocation");
    if (location.empty()) continue;
    location = volume.expandEnvironment(location).value_or(location);
    program = {WithBackslash(location), "uninstall entry", view + kProgramKey, ""};
    return program;
  }
  for (const char* variable : {"%ProgramFiles%", "%ProgramFiles(x86)%"}) {
    const std::optional<std::string> root = volume.expandEnvironment(variable);
    if (!root || *root == variable) continue;
    const std::string folder = WithBackslash(*root) + "Corvane Hivesweep\\";
    if (!HoldsProgram(volume, folder)) continue;
    const bool thirtyTwo = std::string_view(variable).find("x86") != std::string_view::npos;
    program = {folder, "default folder",
               std::string(thirtyTwo ? "SOFTWARE\\Wow6432Node\\" : "SOFTWARE\\") + kProgramKey, ""};
    return program;
  }
  program.programKey = std::string("SOFTWARE\\") + kProgramKey;
  return program;
}

Settings InstalledSettings(FileSystemBackend& volume, InstalledProgram& program) {
  Settings settings = Settings::Defaults(program.folder);
  if (program.folder.empty()) return settings;
  const SettingsFilePaths paths = LocateSettingsFile(volume, program.folder);
  for (const std::string& candidate : {paths.besideProgram, paths.inAppData}) {
    if (candidate.empty() || volume.probe(candidate) != PathProbe::File) continue;
    LoadOptions(IniFile::Load(volume, candidate), program.folder, ScreenSize{}, settings);
    program.settingsFile = candidate;
    break;
  }
  return settings;
}

}  // namespace hs::offline
