#include "offline/posix/InstallationVolume.h"

#include <cctype>
#include <filesystem>

#include "common/SingleByteCodePage.h"
#include "common/Text.h"
#include "platform/ExpandVariables.h"
#include "platform/FileSystemBackend.h"

namespace hs::offline {
namespace {

constexpr const char* kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kProfileList = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

struct TextValue {
  std::string text;
  bool expandable = false;
};

std::optional<TextValue> ReadText(OfflineRegistry& registry, RootKey root, const std::string& path,
                                  const std::string& name) {
  RegKeyPtr key;
  RegValue value;
  if (registry.openKey(root, nullptr, path, RegAccess::Read, false, key) != RegStatus::Ok ||
      registry.queryValue(*key, name, value) != RegStatus::Ok ||
      (value.type != kRegSz && value.type != kRegExpandSz))
    return std::nullopt;
  std::u16string text = Utf16FromLeBytes(value.data);
  if (const std::size_t nul = text.find(u'\0'); nul != std::u16string::npos) text.resize(nul);
  return TextValue{Utf16ToUtf8(text), value.type == kRegExpandSz};
}

// Every text value of a key, in the hive's order.
std::vector<std::pair<std::string, TextValue>> ReadTexts(OfflineRegistry& registry, RootKey root,
                                                         const std::string& path) {
  std::vector<std::pair<std::string, TextValue>> texts;
  RegKeyPtr key;
  std::vector<std::string> names;
  if (registry.openKey(root, nullptr, path, RegAccess::Read, false, key) != RegStatus::Ok ||
      registry.valueNames(*key, names) != RegStatus::Ok)
    return texts;
  for (const std::string& name : names)
    if (auto value = ReadText(registry, root, path, name)) texts.emplace_back(name, *value);
  return texts;
}

class EnvironmentBuilder {
 public:
  explicit EnvironmentBuilder(OfflineVolume& volume) : m_env(volume.environment) {}

  std::string expand(const std::string& text) const {
    return ExpandVariables(text, [this](const std::string& name) -> std::optional<std::string> {
      const auto it = m_env.find(name);
      if (it == m_env.end()) return std::nullopt;
      return it->second;
    });
  }
  void set(const std::string& name, const std::optional<TextValue>& value) {
    if (value && !value->text.empty()) m_env[name] = expand(value->text);
  }
  void set(const std::string& name, const std::string& text) {
    if (!text.empty()) m_env[name] = text;
  }
  bool has(const std::string& name) const { return m_env.count(name) > 0; }
  std::string get(const std::string& name) const {
    const auto it = m_env.find(name);
    return it == m_env.end() ? std::string() : it->second;
  }
  // A key of variables as Windows applies it: plain values first, then the
  // ones that refer to others; the user's Path goes after the machine's.
  void apply(const std::vector<std::pair<std::string, TextValue>>& values, bool userKey) {
    for (const bool expandable : {false, true})
      for (const auto& [name, value] : values) {
        if (value.expandable != expandable) continue;
        const std::string text = expand(value.text);
        if (userKey && EqualsNoCase(name, "Path") && has("Path"))
          m_env[name] = get("Path") + ";" + text;
        else
          m_env[name] = text;
      }
  }

 private:
  std::map<std::string, std::string, NoCaseLess>& m_env;
};

void FillMachineVariables(OfflineInstallation& installation, EnvironmentBuilder& env) {
  OfflineRegistry& registry = installation.registry();
  const RootKey hklm = RootKey::LocalMachine;
  const std::string drive = std::string(1, installation.driveLetter()) + ":";
  env.set("SystemDrive", drive);
  env.set("SystemRoot", ReadText(registry, hklm, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                 "SystemRoot"));
  env.set("windir", env.get("SystemRoot"));
  const std::pair<const char*, const char*> programFolders[] = {
      {"ProgramFiles", "ProgramFilesDir"},
      {"ProgramFiles(x86)", "ProgramFilesDir (x86)"},
      {"ProgramW6432", "ProgramW6432Dir"},
      {"CommonProgramFiles", "CommonFilesDir"},
      {"CommonProgramFiles(x86)", "CommonFilesDir (x86)"},
      {"CommonProgramW6432", "CommonW6432Dir"}};
  for (const auto& [variable, value] : programFolders)
    env.set(variable, ReadText(registry, hklm, kCurrentVersion, value));
  env.set("ProgramData", ReadText(registry, hklm, kProfileList, "ProgramData"));
  env.set("PUBLIC", ReadText(registry, hklm, kProfileList, "Public"));
  if (env.has("ProgramData")) {
    env.set("ALLUSERSPROFILE", env.get("ProgramData"));
  } else if (auto profiles = ReadText(registry, hklm, kProfileList, "ProfilesDirectory")) {
    // Before Vista: Documents and Settings\All Users.
    if (auto allUsers = ReadText(registry, hklm, kProfileList, "AllUsersProfile"))
      env.set("ALLUSERSPROFILE", env.expand(profiles->text) + "\\" + allUsers->text);
  }
  env.set("COMPUTERNAME",
          ReadText(registry, hklm, "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                   "ComputerName"));
}

void FillUserVariables(const Profile& user, EnvironmentBuilder& env) {
  env.set("USERPROFILE", user.windowsPath);
  if (user.windowsPath.size() > 2 && user.windowsPath[1] == ':') {
    env.set("HOMEDRIVE", user.windowsPath.substr(0, 2));
    env.set("HOMEPATH", user.windowsPath.substr(2));
  }
}

void FillUserShellVariables(OfflineRegistry& registry, EnvironmentBuilder& env) {
  const std::string folders = std::string(kShellFolders) + "User Shell Folders";
  env.set("APPDATA", ReadText(registry, RootKey::CurrentUser, folders, "AppData"));
  env.set("LOCALAPPDATA", ReadText(registry, RootKey::CurrentUser, folders, "Local AppData"));
}

// A shell folder from "User Shell Folders" (the setting), else from "Shell
// Folders" (Explorer's expanded copy of it).
std::string ShellFolder(OfflineRegistry& registry, RootKey root, const std::string& name,
                        const EnvironmentBuilder& env) {
  for (const char* key : {"User Shell Folders", "Shell Folders"})
    if (auto value = ReadText(registry, root, std::string(kShellFolders) + key, name);
        value && !value->text.empty())
      return env.expand(value->text);
  return "";
}

void FillSpecialFolders(OfflineRegistry& registry, bool withUser, const EnvironmentBuilder& env,
                        std::map<int, std::string>& folders) {
  const std::pair<int, const char*> userFolders[] = {{csidl::kPrograms, "Programs"},
                                                     {csidl::kStartup, "Startup"},
                                                     {csidl::kRecent, "Recent"},
                                                     {csidl::kStartMenu, "Start Menu"},
                                                     {csidl::kDesktopDirectory, "Desktop"},
                                                     {csidl::kAppData, "AppData"}};
  const std::pair<int, const char*> commonFolders[] = {
      {csidl::kCommonStartMenu, "Common Start Menu"},
      {csidl::kCommonPrograms, "Common Programs"},
      {csidl::kCommonStartup, "Common Startup"},
      {csidl::kCommonDesktopDirectory, "Common Desktop"}};
  if (withUser)
    for (const auto& [id, name] : userFolders)
      if (std::string folder = ShellFolder(registry, RootKey::CurrentUser, name, env);
          !folder.empty())
        folders[id] = folder;
  for (const auto& [id, name] : commonFolders)
    if (std::string folder = ShellFolder(registry, RootKey::LocalMachine, name, env);
        !folder.empty())
      folders[id] = folder;
  if (const std::string windows = env.get("SystemRoot"); !windows.empty()) {
    folders[csidl::kWindows] = windows;
    folders[20] = windows + "\\Fonts";  // CSIDL_FONTS: always there
  }
}

std::shared_ptr<const CodePage> AnsiCodePage(OfflineInstallation& installation,
                                             std::vector<std::string>& notes) {
  const std::string acp =
      installation.machineText("SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP");
  const bool digits =
      !acp.empty() && acp.size() <= 5 && acp.find_first_not_of("0123456789") == std::string::npos;
  if (digits && acp != "1252")
    if (auto page = SingleByteCodePage::Find(static_cast<unsigned>(std::stoul(acp)))) return page;
  if (acp != "1252")
    notes.push_back("the installation's ANSI code page (" + (acp.empty() ? "none" : acp) +
                    ") is not one this program knows; 8-bit text is read as Windows-1252");
  return std::make_shared<Windows1252CodePage>();
}

}  // namespace

bool ParseDriveOption(const std::string& option, char& letter, std::string& folder) {
  if (option.size() < 3 || option[1] != '=' || !std::isalpha(static_cast<unsigned char>(option[0])))
    return false;
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(option[0])));
  folder = option.substr(2);
  std::error_code ec;
  return std::filesystem::is_directory(folder, ec);
}

OfflineVolume InstallationVolume(OfflineInstallation& installation,
                                 const std::optional<Profile>& user,
                                 const std::map<char, std::string>& drives,
                                 std::vector<std::string>& notes) {
  OfflineVolume volume;
  volume.drives = drives;
  volume.drives[installation.driveLetter()] = installation.volumeRoot();
  EnvironmentBuilder env(volume);
  FillMachineVariables(installation, env);
  if (user) FillUserVariables(*user, env);
  OfflineRegistry& registry = installation.registry();
  env.apply(ReadTexts(registry, RootKey::LocalMachine,
                      "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"),
            false);
  if (user) {
    FillUserShellVariables(registry, env);
    env.apply(ReadTexts(registry, RootKey::CurrentUser, "Environment"), true);
  }
  FillSpecialFolders(registry, user.has_value(), env, volume.specialFolders);
  // The console's usual current folder, run as administrator: the scan's
  // walk along a path asks for its first letters as a relative name too.
  if (const std::string windows = env.get("SystemRoot"); !windows.empty())
    volume.currentFolder = windows + "\\System32";
  volume.ansiCodePage = AnsiCodePage(installation, notes);
  return volume;
}

}  // namespace hs::offline
