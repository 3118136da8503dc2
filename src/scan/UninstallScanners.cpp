#include "scan/UninstallScanners.h"

#include "common/Text.h"
#include "platform/RegistryLinks.h"
#include "platform/TRegistry.h"
#include "scan/ScanContext.h"

namespace hs {
namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kClassesKey = "Software\\Classes";
constexpr const char* kFileExtsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

// No value name contains "UninstallString" (case-sensitive, so a
// QuietUninstallString counts) and there is no "SystemComponent" value.
bool OffersNoUninstall(TRegistry& key) {
  bool systemComponent = false;
  for (const std::string& name : key.ValueNameList()) {
    if (name.find("UninstallString") != std::string::npos) return false;
    if (name.size() == 15 && EqualsNoCase(name, "SystemComponent")) systemComponent = true;
  }
  return !systemComponent;
}

// A Software\Classes subkey with nothing in it: no subkeys, and no values or
// only an empty default value. A numeric or binary default value keeps it. A
// default value of another type that holds data is data: the key is kept
// (reading it as text would fail and end the whole task).
bool IsUnusedClassKey(TRegistry& key) {
  // Subkeys or a second value keep the key whatever its default value holds,
  // so that value is read only for the few keys it can decide.
  const RegKeyInfo counts = key.KeyCounts();
  if (counts.subkeyCount != 0 || counts.valueCount > 1) return false;
  RegValue defaultValue;
  const bool hasDefault = key.RawValue("", defaultValue);
  if (hasDefault && (defaultValue.type == kRegDword || defaultValue.type == kRegBinary))
    return false;
  if (counts.valueCount == 0) return true;
  if (counts.valueCount != 1 || !hasDefault) return false;
  if (defaultValue.data.empty()) return true;
  if (defaultValue.type != kRegSz && defaultValue.type != kRegExpandSz) return false;
  return RegDataToText(defaultValue.data).empty();
}

void ScanMachineClasses(ScanContext& context, const std::string& problem) {
  TRegistry classes(context.Registry, RootKey::LocalMachine);
  if (!classes.OpenPath(kClassesKey)) return;
  for (const std::string& name : classes.SubkeyNameList()) {
    const std::string path = std::string(kClassesKey) + "\\" + name;
    context.ShowCurrentKey(path);
    TRegistry key(context.Registry, RootKey::LocalMachine);
    if (!key.OpenPath(path)) continue;
    if (IsUnusedClassKey(key))
      context.AddFinding(
          problem, std::string("HKEY_LOCAL_MACHINE\\") + kClassesKey, name, FindingKind::fkSubkey,
          FindingEvidence(EvidenceRule::UnusedClassKey, EvidenceAnswer::EmptyKey, name, ""));
  }
}

void ScanUserFileExts(ScanContext& context, const std::string& problem) {
  std::vector<std::string> names;
  {
    TRegistry fileExts(context.Registry, RootKey::CurrentUser);
    if (!fileExts.OpenPath(kFileExtsKey)) return;
    names = fileExts.SubkeyNameList();
  }
  for (const std::string& name : names) {
    const std::string path = std::string(kFileExtsKey) + "\\" + name;
    context.ShowCurrentKey(path);
    if (CountEntries(context.Registry, RootKey::CurrentUser, path) == 0)
      context.AddFinding(
          problem, std::string("HKEY_CURRENT_USER\\") + kFileExtsKey, name, FindingKind::fkSubkey,
          FindingEvidence(EvidenceRule::UnusedFileTypeKey, EvidenceAnswer::EmptyKey, name, ""));
  }
}

}  // namespace

namespace {

int CountEntriesAt(RegistryBackend& registry, RootKey root, const std::string& path, int depth) {
  if (depth > kMaxKeyDepth) return 1;  // not known to be empty
  RegKeyPtr key;
  const RegStatus status =
      registry.openKey(root, nullptr, path, RegAccess::Read, false, key, WalkLinkRule(depth));
  if (status == RegStatus::NotFound) return 0;
  if (status != RegStatus::Ok) return 1;
  RegKeyInfo counts;
  if (registry.keyInfo(*key, counts) != RegStatus::Ok) return 1;
  if (counts.valueCount >= 1) return static_cast<int>(counts.valueCount);
  std::vector<std::string> subkeys;
  if (registry.subkeyNames(*key, subkeys) != RegStatus::Ok) return 1;
  if (subkeys.size() >= 2) return static_cast<int>(subkeys.size());
  if (subkeys.size() == 1)
    return CountEntriesAt(registry, root, path + "\\" + subkeys.front(), depth + 1);
  return 0;
}

}  // namespace

int CountEntries(RegistryBackend& registry, RootKey root, const std::string& path) {
  return CountEntriesAt(registry, root, path, 0);
}

void ScanAddRemovePrograms(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_Add_Remove_Programs",
                                                              "Scanning Add/Remove Programs..."));
  const std::string problem =
      context.Settings.Texts.GetLanString("RES_Problem_AddRomve", "Add/Remove Programs Issue");
  TRegistry uninstall(context.Registry, RootKey::LocalMachine);
  if (!uninstall.OpenPath(kUninstallKey)) return;
  for (const std::string& name : uninstall.SubkeyNameList()) {
    if (!name.empty() && name.front() == '{') continue;
    context.ShowCurrentKey(std::string(kUninstallKey) + "\\" + name);
    TRegistry entry(context.Registry, RootKey::LocalMachine);
    if (!entry.OpenPath(std::string(kUninstallKey) + "\\" + name)) continue;
    if (OffersNoUninstall(entry))
      context.AddFinding(problem, std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey, name,
                         FindingKind::fkSubkey,
                         FindingEvidence(EvidenceRule::UninstallCommand,
                                         EvidenceAnswer::NoUninstallCommand, name, ""));
  }
}

void ScanFileExtensions(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_File_Extensions",
                                                              "Scanning File Extensions..."));
  const std::string problem =
      context.Settings.Texts.GetLanString("RES_Problem_FileExtension", "Unused File Extension");
  ScanMachineClasses(context, problem);
  ScanUserFileExts(context, problem);
}

}  // namespace hs
