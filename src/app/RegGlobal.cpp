#include "app/RegGlobal.h"

#include "common/Text.h"
#include "settings/IniFile.h"

namespace hs {
namespace {

struct ProgramEnvironment {
  FileSystemBackend* fs = nullptr;
  RegistryBackend* registry = nullptr;
  std::string folder;
  SystemFacts facts;
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

FileSystemBackend& ProgramFileSystem() {
  return *Environment().fs;
}
const std::string& ProgramFolder() {
  return Environment().folder;
}

void SetProgramRegistry(RegistryBackend& registry) {
  Environment().registry = &registry;
}
RegistryBackend& ProgramRegistry() {
  return *Environment().registry;
}

void SetSystemFacts(const SystemFacts& facts) {
  Environment().facts = facts;
}
int WindowsVersionCode() {
  return WindowsVersionCodeFor(Environment().facts.version);
}
bool IsWow64() {
  return Environment().facts.wow64;
}
const std::string& CurrentUserSid() {
  return Environment().facts.userSid;
}

std::string TranslationFilePath(const std::string& language) {
  if (language.empty()) return {};
  for (const char c : language)
    if (static_cast<unsigned char>(c) < 32 ||
        std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      return {};
  return ProgramFolder() + "Lan_" + language + ".ini";
}

std::string GetLanString(const std::string& key, const std::string& english) {
  const std::string& language = AppSettings().Lan;
  if (EqualsNoCase(language, "English")) return english;
  const std::string path = TranslationFilePath(language);
  if (path.empty() || !Environment().fs) return english;
  const std::string text =
      IniFile::Load(*Environment().fs, path).ReadString("ResourceString", key, "");
  return text.empty() ? english : text;
}

}  // namespace hs
