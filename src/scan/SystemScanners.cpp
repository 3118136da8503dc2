#include "scan/SystemScanners.h"

#include <unordered_set>

#include "common/Text.h"
#include "platform/RegistryLinks.h"
#include "platform/TRegistry.h"
#include "scan/FilesAndFoldersScan.h"
#include "scan/ScanContext.h"
#include "scan/UninstallScanners.h"

namespace hs {
namespace {

const char* const kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
const char* const kUninstallKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const kInstallerFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char* const kArpCacheKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";
const char* const kSoundSchemesKey = "AppEvents\\Schemes\\Apps";

std::string InstallerProblem(const ScanContext& context) {
  return context.Settings.Texts.GetLanString("RES_Problem_Installer", "Installer Reference Issue");
}

// Top-level software keys that Windows itself creates and that stand empty on
// a fresh system (the policy store, the registered-applications list, the
// low-integrity store, the OEM partner key...). Empty here is their normal
// state, not a trace of removed software, so they are never offered.
bool IsSystemSoftwareKey(const std::string& name) {
  static const char* const kSystemKeys[] = {"AppDataLow",
                                            "Classes",
                                            "Clients",
                                            "Microsoft",
                                            "Partner",
                                            "Policies",
                                            "Registered Applications",
                                            "RegisteredApplications",
                                            "Wow6432Node"};
  for (const char* system : kSystemKeys)
    if (EqualsNoCase(name, system)) return true;
  return false;
}

void ScanSoftwareKeysOf(ScanContext& context, RootKey root, const std::string& problem) {
  TRegistry reg(context.Registry, root, RegAccess::Read);
  if (!reg.OpenPath("Software")) return;
  const std::string hive = RootKeyToHiveName(root);
  for (const std::string& name : reg.SubkeyNameList()) {
    if (IsSystemSoftwareKey(name)) continue;
    const std::string path = "Software\\" + name;
    context.ShowCurrentKey(path);
    if (CountEntries(context.Registry, root, path) == 0)
      context.AddFinding(
          problem, hive + "\\Software", name, FindingKind::fkSubkey,
          FindingEvidence(EvidenceRule::EmptySoftwareKey, EvidenceAnswer::EmptyKey, name, ""));
  }
}

void CheckService(ScanContext& context, TRegistry& reg, const std::string& name,
                  const std::string& problem) {
  reg.ClosePath();
  if (ContainsNoCase(name, "SLSVC")) return;  // licensing service: never touched
  const std::string path = std::string(kServicesKey) + "\\" + name;
  if (!reg.OpenPath(path)) return;
  context.ShowCurrentKey(path);
  const std::optional<std::string> imagePath = reg.TextValue("ImagePath");
  if (imagePath && context.ReferenceIsMissing(*imagePath, "", true))
    context.AddFinding(problem, "HKEY_LOCAL_MACHINE\\" + path + "\\ImagePath", *imagePath,
                       FindingKind::fkValueInPath,
                       context.EvidenceOfMissing(EvidenceRule::ServiceProgram));
}

bool IsSchemeKeyName(const std::string& name) {
  return EqualsNoCase(name, ".current") || EqualsNoCase(name, ".default") ||
         EqualsNoCase(name, "utopia0");
}

void WalkSoundEvents(ScanContext& context, const std::string& hiveName, const std::string& prefix,
                     const std::string& name, const std::string& problem, int depth = 0) {
  const std::string hive = UpperCase(hiveName);
  const auto root = HiveNameToRootKey(hive);
  if (!root || depth > kMaxKeyDepth) return;
  context.CheckStop();
  TRegistry reg(context.Registry, *root, RegAccess::Read);
  const std::string path = prefix + name;
  if (!reg.OpenPath(path, false, WalkLinkRule(depth))) return;
  const std::optional<std::string> sound = IsSchemeKeyName(name) ? reg.TextValue("") : std::nullopt;
  if (sound) {
    context.ShowCurrentKey(path);
    if (context.ReferenceIsMissing(*sound, "", false))
      context.AddFinding(problem, hive + "\\" + path, *sound, FindingKind::fkDefaultValue,
                         context.EvidenceOfMissing(EvidenceRule::SoundFile));
  }
  for (const std::string& subkey : reg.SubkeyNameList())
    if (!subkey.empty())  // an empty name would open this key again, for ever
      WalkSoundEvents(context, hive, path + "\\", subkey, problem, depth + 1);
}

void CheckInstallerFolders(ScanContext& context, const std::string& problem) {
  TRegistry reg(context.Registry, RootKey::LocalMachine, RegAccess::Read);
  if (!reg.OpenPath(kInstallerFoldersKey)) return;
  context.ShowCurrentKey(kInstallerFoldersKey);
  for (const std::string& folder : reg.ValueNameList())
    if (context.ReferenceIsMissing(folder, "", true))
      context.AddFinding(problem, std::string("HKEY_LOCAL_MACHINE\\") + kInstallerFoldersKey,
                         folder, FindingKind::fkNamedValue,
                         context.EvidenceOfMissing(EvidenceRule::InstallerFolder));
}

void CheckArpCache(ScanContext& context, const std::string& problem) {
  std::unordered_set<std::string> installed;
  {
    TRegistry uninstall(context.Registry, RootKey::LocalMachine, RegAccess::Read);
    if (uninstall.OpenPath(kUninstallKeyPath)) {
      for (const std::string& name : uninstall.SubkeyNameList()) installed.insert(UpperCase(name));
    } else if (uninstall.PathExists(kUninstallKeyPath)) {
      return;  // there but unreadable: no cache entry can be judged
    }
  }
  TRegistry reg(context.Registry, RootKey::LocalMachine, RegAccess::Read);
  if (!reg.OpenPath(kArpCacheKey)) return;
  context.ShowCurrentKey(kArpCacheKey);
  for (const std::string& name : reg.SubkeyNameList())
    if (!installed.count(UpperCase(name)))
      context.AddFinding(
          problem, std::string("HKEY_LOCAL_MACHINE\\") + kArpCacheKey, name, FindingKind::fkSubkey,
          FindingEvidence(EvidenceRule::ArpCacheEntry, EvidenceAnswer::NoUninstallEntry, name, ""));
}

}  // namespace

void ScanObsoleteSoftware(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_Software_Locations",
                                                              "Scanning Software Locations..."));
  const std::string problem =
      context.Settings.Texts.GetLanString("RES_Problem_Obsolete_Software", "Obsolete Software Key");
  ScanSoftwareKeysOf(context, RootKey::CurrentUser, problem);
  ScanSoftwareKeysOf(context, RootKey::LocalMachine, problem);
}

void ScanWindowsServices(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_Windows_Services",
                                                              "Scanning Windows Services..."));
  const std::string problem =
      context.Settings.Texts.GetLanString("RES_Problem_Windows_Service", "Windows Service Issue");
  TRegistry reg(context.Registry, RootKey::LocalMachine, RegAccess::Read);
  if (!reg.OpenPath(kServicesKey)) return;
  for (const std::string& name : reg.SubkeyNameList()) CheckService(context, reg, name, problem);
}

void ScanSoundEvents(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_Sound_And_Appevents",
                                                              "Scanning Sound and Appevents..."));
  WalkSoundEvents(context, "HKEY_Current_User", kSoundSchemesKey, "",
                  context.Settings.Texts.GetLanString("RES_Problem_Sound", "Missing Sound File"));
}

void ScanInstaller(ScanContext& context) {
  context.ShowTaskCaption(
      context.Settings.Texts.GetLanString("RES_Scanning_Installer", "Scanning Installer..."));
  const std::string problem = InstallerProblem(context);
  ScanValueTree(context, "HKEY_LOCAL_MACHINE", kUninstallKeyPath, problem, ".exe",
                EvidenceRule::InstallerFile);
  CheckInstallerFolders(context, problem);
  CheckArpCache(context, problem);
}

void ScanEmptyKeys(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_Empty_Key_HKEY_USERS",
                                                              "Scanning Empty Registry Keys..."));
}

}  // namespace hs
