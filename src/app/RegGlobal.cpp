#include "app/RegGlobal.h"

#include "common/Text.h"

namespace hs {
namespace {

struct ProgramEnvironment {
  FileSystemBackend* fs = nullptr;
  std::string folder;
};

ProgramEnvironment& Environment() {
  static ProgramEnvironment environment;
  return environment;
}

}  // namespace

Settings Settings::Defaults(const std::string& programFolder) {
  Settings settings;
  settings.OutputDirectory = programFolder + "Backup";
  settings.TreeViewNodeCheck.fill(true);
  settings.TreeViewNodeCheck[0] = false;
  return settings;
}

Settings& AppSettings() {
  static Settings settings = Settings::Defaults("");
  return settings;
}

void SetProgramEnvironment(FileSystemBackend& fs, const std::string& programFolder) {
  Environment().fs = &fs;
  Environment().folder = programFolder;
}

FileSystemBackend& ProgramFileSystem() { return *Environment().fs; }
const std::string& ProgramFolder() { return Environment().folder; }

std::string GetLanString(const std::string& key, const std::string& english) {
  (void)key;  // translation files are read once the profile-file reader exists
  return english;
}

}  // namespace hs
