#include "startup/StartupEntries.h"

#include "common/Text.h"
#include "platform/TRegistry.h"
#include "startup/StartupApproval.h"

namespace hs {
namespace {

constexpr const char* kCurrentVersion = "Microsoft\\Windows\\CurrentVersion\\";

bool IsNineXCode(int code) {
  return (code >= 1 && code <= 4) || code == 8;
}

void ListRunKey(RegistryBackend& registry, RootKey root, const std::string& keyPath,
                bool wow64Process, std::vector<StartupEntry>& out) {
  RegKeyPtr key;
  if (registry.openKey(root, nullptr, keyPath, RegAccess::Read, false, key) != RegStatus::Ok)
    return;
  std::vector<RegValue> values;
  if (registry.values(*key, values) != RegStatus::Ok) return;
  for (const RegValue& value : values) {
    if (value.type != kRegSz && value.type != kRegExpandSz) continue;
    StartupEntry entry;
    entry.kind = StartupKind::RegistryValue;
    entry.caption = value.name;
    entry.file = RegDataToText(value.data);  // expandable texts stay unexpanded
    entry.location = RootKeyToHiveName(root) + "\\" + keyPath;
    entry.root = root;
    entry.keyPath = keyPath;
    entry.listedByWow64Process = wow64Process;
    out.push_back(std::move(entry));
  }
}

bool IsShortcutName(const std::string& name) {
  return name.size() > 4 && UpperCase(name.substr(name.size() - 4)) == ".LNK";
}

void ListStartupFolder(FileSystemBackend& fs, int csidl, const std::string& label,
                       bool wow64Process, std::vector<StartupEntry>& out) {
  std::string folder = fs.specialFolder(csidl);
  if (folder.empty()) return;
  if (folder.back() != '\\') folder += '\\';
  std::vector<DirEntry> items;
  if (fs.listDirectory(folder, items) != FsStatus::Ok) return;
  for (const DirEntry& item : items) {
    if (item.isFolder || !IsShortcutName(item.name)) continue;
    const ShortcutTarget target = fs.readShortcut(folder + item.name);
    if (!target.readable || target.path.empty()) continue;
    StartupEntry entry;
    entry.kind = StartupKind::Shortcut;
    entry.caption = item.name;
    entry.file = target.path;
    entry.location = label;
    entry.folder = folder;
    entry.allUsers = csidl == csidl::kCommonStartup;
    entry.listedByWow64Process = wow64Process;
    out.push_back(std::move(entry));
  }
}

}  // namespace

StartupListOptions ProgramStartupListOptions(int windowsVersionCode, bool wow64Process,
                                             const Translation& texts) {
  StartupListOptions options;
  options.windowsVersionCode = windowsVersionCode;
  options.wow6432NodeKeys = sizeof(void*) == 8;
  options.wow64Process = wow64Process;
  options.startupLabel = texts.GetLanString("RES_Startup", "Startup");
  options.commonStartupLabel = texts.GetLanString("RES_Common_Startup", "Common Startup");
  return options;
}

std::vector<std::string> StartupKeyPaths(const StartupListOptions& options) {
  std::vector<std::string> names = {"Run", "Policies\\Explorer\\Run", "RunOnce"};
  if (IsNineXCode(options.windowsVersionCode)) names.push_back("RunServices");
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back("Software\\" + (kCurrentVersion + name));
  if (options.wow6432NodeKeys)
    for (const std::string& name : names)
      paths.push_back("Software\\Wow6432Node\\" + (kCurrentVersion + name));
  return paths;
}

std::vector<StartupEntry> ListStartupEntries(RegistryBackend& registry, FileSystemBackend& fs,
                                             const StartupListOptions& options) {
  std::vector<StartupEntry> entries;
  for (const std::string& keyPath : StartupKeyPaths(options)) {
    ListRunKey(registry, RootKey::CurrentUser, keyPath, options.wow64Process, entries);
    ListRunKey(registry, RootKey::LocalMachine, keyPath, options.wow64Process, entries);
  }
  ListStartupFolder(fs, csidl::kStartup, options.startupLabel, options.wow64Process, entries);
  ListStartupFolder(fs, csidl::kCommonStartup, options.commonStartupLabel, options.wow64Process,
                    entries);
  for (StartupEntry& entry : entries) entry.state = ReadStartupState(registry, entry);
  return entries;
}

}  // namespace hs
