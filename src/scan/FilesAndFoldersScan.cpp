#include "scan/FilesAndFoldersScan.h"

#include <array>
#include <string_view>
#include <vector>

#include "common/Text.h"
#include "platform/RegistryLinks.h"
#include "platform/TRegistry.h"
#include "scan/ScanContext.h"

namespace hs {
namespace {

// Subtrees that other tasks examine with their own rules.
constexpr std::array<std::string_view, 10> kLocalMachineExclusions = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls",
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
    "Software\\Microsoft\\Windows\\Help",
    "Software\\Microsoft\\Windows\\Html Help",
    "Software\\Classes\\Applications",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache",
};
constexpr std::array<std::string_view, 4> kCurrentUserExclusions = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "AppEvents\\Schemes\\Apps",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU",
};
constexpr std::string_view kNestedWow64Node = "SOFTWARE\\WOW6432NODE\\WOW6432NODE";

std::string LocalMachineCaption(const ScanContext& context) {
  return context.Settings.Texts.GetLanString("RES_Scanning_Files_And_Folders_HKEY_LOCAL_MACHINE",
                                             "Scanning Files and Folders - HKEY_LOCAL_MACHINE...");
}
std::string CurrentUserCaption(const ScanContext& context) {
  return context.Settings.Texts.GetLanString("RES_Scanning_Files_And_Folders_HKEY_CURRENT_USER",
                                             "Scanning Files and Folders - HKEY_CURRENT_USER...");
}

// The patterns are ASCII, and the registry folds no other character to an
// ASCII one (not U+0131 to I, nor U+017F to S), so comparing bytes with ASCII
// folding answers as EqualsNoCase does, without decoding.
bool AsciiStartsWithNoCase(std::string_view text, std::string_view pattern) {
  return text.size() >= pattern.size() &&
         AsciiEqualsNoCase(text.substr(0, pattern.size()), pattern);
}

// One call's fixed inputs, shared by every level of the walk.
struct Walk {
  ScanContext& context;
  RootKey root;
  std::string hive;  // upper-cased
  const std::string& problem;
  const std::string& fileNameHint;
  EvidenceRule rule;
  std::vector<std::string_view> exclusions;
  std::vector<RegValue> values;  // reused level after level
};

bool IsExcluded(const Walk& walk, std::string_view path) {
  for (std::string_view excluded : walk.exclusions)
    if (AsciiEqualsNoCase(path, excluded)) return true;
  return walk.root == RootKey::LocalMachine && AsciiStartsWithNoCase(path, kNestedWow64Node);
}

void CheckValues(Walk& walk, const RegKeyHandle& key, const std::string& path) {
  ScanContext& context = walk.context;
  if (context.Registry.values(key, walk.values) != RegStatus::Ok) return;
  for (const RegValue& value : walk.values) {
    if (value.type != kRegSz && value.type != kRegExpandSz) continue;
    context.CheckStop();
    const std::string text = RegDataToText(value.data);
    if (context.ReferenceIsMissing(text, walk.fileNameHint, true))
      context.AddValueFinding(walk.problem, walk.hive, path, value.name, text,
                              context.EvidenceOfMissing(walk.rule));
  }
}

// `path` is this key's path below the hive; it grows and shrinks in place as
// the walk goes down and up.
void WalkKey(Walk& walk, const RegKeyHandle* parent, std::string_view name, std::string& path,
             int depth) {
  if (depth > kMaxKeyDepth || IsExcluded(walk, path)) return;
  ScanContext& context = walk.context;
  context.CheckStop();
  RegKeyPtr key;
  if (context.Registry.openKey(walk.root, parent, std::string(name), RegAccess::Read, false, key,
                               WalkLinkRule(depth)) != RegStatus::Ok)
    return;
  context.ShowCurrentKey(path);
  CheckValues(walk, *key, path);
  std::vector<std::string> subkeys;
  if (context.Registry.subkeyNames(*key, subkeys) != RegStatus::Ok) return;
  const std::size_t length = path.size();
  for (const std::string& subkey : subkeys) {
    if (subkey.empty()) continue;
    if (length != 0) path += '\\';
    path += subkey;
    WalkKey(walk, key.get(), subkey, path, depth + 1);
    path.resize(length);
  }
}

void WalkValueTree(ScanContext& context, const std::string& hiveName, const std::string& keyPath,
                   const std::string& problem, const std::string& fileNameHint, EvidenceRule rule,
                   std::vector<std::string_view> exclusions) {
  const std::string hive = UpperCase(hiveName);
  const std::optional<RootKey> root = HiveNameToRootKey(hive);
  if (!root) return;
  Walk walk{context, *root, hive, problem, fileNameHint, rule, std::move(exclusions), {}};
  std::string path = keyPath;
  WalkKey(walk, nullptr, keyPath, path, 0);
}

std::string FilesAndFoldersProblem(const ScanContext& context, const char* problemKey) {
  return context.Settings.Texts.GetLanString(problemKey, "Invalid File or Folder");
}

void RunFilesAndFoldersTask(ScanContext& context, const std::string& caption,
                            const char* problemKey, const char* hive, const char* path) {
  context.ShowTaskCaption(caption);
  ScanValueTree(context, hive, path, FilesAndFoldersProblem(context, problemKey), "",
                EvidenceRule::FilesAndFoldersValue);
}

}  // namespace

std::vector<std::string> CurrentUserHiveKeys(const std::string& currentUserSid) {
  if (currentUserSid.empty()) return {};
  return {currentUserSid, currentUserSid + "_Classes"};
}

void ScanValueTree(ScanContext& context, const std::string& hiveName, const std::string& keyPath,
                   const std::string& problem, const std::string& fileNameHint, EvidenceRule rule) {
  std::vector<std::string_view> exclusions;
  if (context.CurrentCaption == LocalMachineCaption(context))
    exclusions.assign(kLocalMachineExclusions.begin(), kLocalMachineExclusions.end());
  else if (context.CurrentCaption == CurrentUserCaption(context))
    exclusions.assign(kCurrentUserExclusions.begin(), kCurrentUserExclusions.end());
  WalkValueTree(context, hiveName, keyPath, problem, fileNameHint, rule, std::move(exclusions));
}

void ScanFilesAndFoldersLocalMachine(ScanContext& context) {
  RunFilesAndFoldersTask(context, LocalMachineCaption(context),
                         "RES_Problem_Files_And_Folders_HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE",
                         "Software");
}

void ScanFilesAndFoldersCurrentUser(ScanContext& context) {
  RunFilesAndFoldersTask(context, CurrentUserCaption(context),
                         "RES_Problem_Files_And_Folders_HKEY_CURRENT_USER", "HKEY_CURRENT_USER",
                         "");
}

// HKEY_CURRENT_USER is this user's key under HKEY_USERS seen from another
// root (and its Software\Classes the "_Classes" key beside it): when task 4
// walks it in the same scan, walking it here too would list every finding
// twice, and the second repair of each would fail.
void ScanFilesAndFoldersUsers(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString(
      "RES_Scanning_Files_And_Folders_HKEY_USERS", "Scanning Files and Folders - HKEY_USERS..."));
  std::vector<std::string> ownHive;
  if (context.TaskListHas(4)) ownHive = CurrentUserHiveKeys(context.Settings.CurrentUserSid);
  WalkValueTree(context, "HKEY_USERS", "",
                FilesAndFoldersProblem(context, "RES_Problem_Files_And_Folders_HKEY_USERS"), "",
                EvidenceRule::FilesAndFoldersValue, {ownHive.begin(), ownHive.end()});
}

}  // namespace hs
