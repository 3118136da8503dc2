#include "scan/FileReferenceScanners.h"

#include <unordered_set>
#include <vector>

#include "common/Text.h"
#include "platform/TRegistry.h"
#include "scan/ScanContext.h"

namespace hs {
namespace {

constexpr const char* kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr const char* kAppPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kSharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kStartupRegKey = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg";
constexpr int kCsidlFonts = 20;

bool IsStringValue(const RegValue& value) {
  return value.type == kRegSz || value.type == kRegExpandSz;
}

// A reference to a removable disk that is not in its drive is a finding
// without further tests.
bool OnAbsentRemovableDisk(const ScanContext& context, const std::string& text) {
  if (!context.Settings.IncludeRemoveMedia) return false;
  return (StartsWithNoCase(text, "A:\\") && !context.Drives.FloppyAReady) ||
         (StartsWithNoCase(text, "B:\\") && !context.Drives.FloppyBReady);
}

// Opens `path` of HKLM with full access; false when it cannot be opened.
bool OpenMachineKey(TRegistry& registry, const std::string& path) {
  return registry.OpenPath(path);
}

// App Paths entries are checked when their name has no dot or ends in .EXE.
bool IsProgramEntry(const std::string& name) {
  return name.find('.') == std::string::npos || EndsWithNoCase(name, ".EXE");
}

// Upper-cased names of the files (not folders) in the system Fonts folder.
std::unordered_set<std::string> FontFolderListing(FileSystemBackend& files) {
  std::unordered_set<std::string> names;
  const std::string folder = files.specialFolder(kCsidlFonts);
  if (folder.empty()) return names;
  std::vector<DirEntry> entries;
  if (files.listDirectory(folder, entries) != FsStatus::Ok) return names;
  for (const DirEntry& entry : entries)
    if (!entry.isFolder) names.insert(UpperCase(entry.name));
  return names;
}

// A finding's evidence when the text is on an absent removable disk or its
// reference is missing; nullopt when neither.
std::optional<FindingEvidence> MissingOrOnAbsentDisk(ScanContext& context, const std::string& text,
                                                     EvidenceRule rule) {
  if (OnAbsentRemovableDisk(context, text)) return ScanContext::DiskNotInDrive(rule, text);
  if (context.ReferenceIsMissing(text, "", false)) return context.EvidenceOfMissing(rule);
  return std::nullopt;
}

void ScanHelpKey(ScanContext& context, const std::string& keyPath, const std::string& problem) {
  TRegistry key(context.Registry, RootKey::LocalMachine);
  if (!OpenMachineKey(key, keyPath)) return;
  context.ShowCurrentKey(keyPath);
  for (const RegValue& value : key.ValueList()) {
    if (!IsStringValue(value)) continue;
    const std::string folder = RegDataToText(value.data);
    std::string path = folder;
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += value.name;
    if (auto evidence = MissingOrOnAbsentDisk(context, path, EvidenceRule::HelpFile))
      context.AddValueFinding(problem, kLocalMachine, keyPath, value.name, path,
                              std::move(*evidence));
  }
}

// Disabled startup entries kept by the system configuration tool.
void ScanDisabledStartupEntries(ScanContext& context, const std::string& problem) {
  try {
    TRegistry startupReg(context.Registry, RootKey::LocalMachine);
    if (!OpenMachineKey(startupReg, kStartupRegKey)) return;
    context.ShowCurrentKey(kStartupRegKey);
    for (const std::string& name : startupReg.SubkeyNameList()) {
      const std::string path = std::string(kStartupRegKey) + "\\" + name;
      TRegistry entry(context.Registry, RootKey::LocalMachine);
      if (!OpenMachineKey(entry, path)) continue;
      RegValue command;
      if (!entry.RawValue("command", command) || !IsStringValue(command)) continue;
      const std::string text = RegDataToText(command.data);
      if (context.ReferenceIsMissing(text, "", false))
        context.AddFinding(problem, std::string(kLocalMachine) + "\\" + path, text,
                           FindingKind::fkKey,
                           context.EvidenceOfMissing(EvidenceRule::DisabledStartupCommand));
    }
  } catch (const std::exception&) {
    // Any error here ends this step only.
  }
}

}  // namespace

std::string FontsKeyFor(int code) {
  const bool ntFamily = code == 0 || (code >= 5 && code <= 7) || (code >= 9 && code <= 12);
  return ntFamily ? "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                  : "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
}

void ScanSoftwareLocations(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_Software_Locations",
                                                              "Scanning Software Locations..."));
  const std::string problem = context.Settings.Texts.GetLanString("RES_Problem_Applications_Path",
                                                                  "Software Locations Issue");
  TRegistry appPaths(context.Registry, RootKey::LocalMachine);
  if (!OpenMachineKey(appPaths, kAppPathsKey)) return;
  for (const std::string& name : appPaths.SubkeyNameList()) {
    if (!IsProgramEntry(name)) continue;
    const std::string path = std::string(kAppPathsKey) + "\\" + name;
    TRegistry entry(context.Registry, RootKey::LocalMachine);
    if (!OpenMachineKey(entry, path)) continue;
    context.ShowCurrentKey(path);
    RegValue value;
    if (!entry.RawValue("", value) || !IsStringValue(value)) continue;
    const std::string text = RegDataToText(value.data);
    if (text.empty()) continue;
    if (context.ReferenceIsMissing(text, name, true))
      context.AddFinding(problem, std::string(kLocalMachine) + "\\" + path, text,
                         FindingKind::fkKey,
                         context.EvidenceOfMissing(EvidenceRule::AppPathsProgram));
  }
}

void ScanWindowsFonts(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_Windows_Fonts",
                                                              "Scanning Windows Fonts..."));
  const std::string problem =
      context.Settings.Texts.GetLanString("RES_Problem_Fonts", "Fonts Issue");
  const std::string keyPath = FontsKeyFor(context.Settings.WindowsVersionCode);
  const std::unordered_set<std::string> installed = FontFolderListing(context.Files);
  TRegistry key(context.Registry, RootKey::LocalMachine);
  if (!OpenMachineKey(key, keyPath)) return;
  context.ShowCurrentKey(keyPath);
  for (const RegValue& value : key.ValueList()) {
    if (!IsStringValue(value)) continue;
    const std::string text = RegDataToText(value.data);
    std::optional<FindingEvidence> evidence;
    if (OnAbsentRemovableDisk(context, text) || !installed.count(UpperCase(text)))
      evidence = MissingOrOnAbsentDisk(context, text, EvidenceRule::FontFile);
    if (evidence)
      context.AddValueFinding(problem, kLocalMachine, keyPath, value.name, text,
                              std::move(*evidence));
  }
}

void ScanHelpFiles(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_Invalid_Help_Files",
                                                              "Scanning Invalid Help Files..."));
  const std::string problem =
      context.Settings.Texts.GetLanString("RES_Problem_Help", "Invalid Help Files");
  ScanHelpKey(context, "Software\\Microsoft\\Windows\\Help", problem);
  ScanHelpKey(context, "Software\\Microsoft\\Windows\\Html Help", problem);
}

void ScanSharedDlls(ScanContext& context) {
  context.ShowTaskCaption(
      context.Settings.Texts.GetLanString("RES_Scanning_Shared_Dlls", "Scanning Shared DLLs..."));
  const std::string problem =
      context.Settings.Texts.GetLanString("RES_Problem_SharedDll", "Missing Shared Dlls");
  TRegistry key(context.Registry, RootKey::LocalMachine);
  if (!OpenMachineKey(key, kSharedDllsKey)) return;
  context.ShowCurrentKey(kSharedDllsKey);
  for (const RegValue& value : key.ValueList()) {
    if (value.type != kRegDword) continue;
    std::optional<FindingEvidence> evidence;
    if (DwordOfValue(value) == 0)
      evidence = FindingEvidence(EvidenceRule::SharedDllUnused, EvidenceAnswer::UnusedCount,
                                 value.name, "");
    else
      evidence = MissingOrOnAbsentDisk(context, value.name, EvidenceRule::SharedDllFile);
    if (evidence)
      context.AddFinding(problem, std::string(kLocalMachine) + "\\" + kSharedDllsKey, value.name,
                         FindingKind::fkNamedValue, std::move(*evidence));
  }
}

void ScanRunKey(ScanContext& context, const std::string& hiveName, const std::string& runKeyPath,
                const std::string& problem) {
  const std::optional<RootKey> root = HiveNameToRootKey(hiveName);
  if (!root) return;
  TRegistry key(context.Registry, *root);
  if (!key.OpenPath(runKeyPath)) return;
  context.ShowCurrentKey(runKeyPath);
  const std::string hive = UpperCase(hiveName);
  for (const RegValue& value : key.ValueList()) {
    if (!IsStringValue(value)) continue;
    const std::string text = RegDataToText(value.data);
    if (text.empty() || text == "\"\"")
      context.AddValueFinding(
          problem, hive, runKeyPath, value.name, text,
          FindingEvidence(EvidenceRule::StartupCommand, EvidenceAnswer::EmptyText, text, ""));
    else if (context.ReferenceIsMissing(text, "", false))
      context.AddValueFinding(problem, hive, runKeyPath, value.name, text,
                              context.EvidenceOfMissing(EvidenceRule::StartupCommand));
  }
}

void ScanStartupPrograms(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_Startup_Programs",
                                                              "Scanning Startup Programs..."));
  const std::string problem =
      context.Settings.Texts.GetLanString("RES_Problem_Startup_Run", "Missing Startup Programs");
  ScanRunKey(context, "HKEY_CURRENT_USER", kRunKey, problem);
  ScanRunKey(context, "HKEY_CURRENT_USER", kRunOnceKey, problem);
  ScanRunKey(context, "HKEY_LOCAL_MACHINE", kRunKey, problem);
  ScanRunKey(context, "HKEY_LOCAL_MACHINE", kRunOnceKey, problem);
  ScanDisabledStartupEntries(context, problem);
}

}  // namespace hs
