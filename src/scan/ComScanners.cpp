#include "scan/ComScanners.h"

#include <algorithm>
#include <unordered_set>

#include "common/Text.h"
#include "platform/RegistryLinks.h"
#include "platform/TRegistry.h"
#include "scan/FilesAndFoldersScan.h"
#include "scan/ScanContext.h"
#include "scan/ScanTaskRunner.h"

namespace hs {
namespace {

const char* const kClassesRoot = "HKEY_CLASSES_ROOT";
// A class the system registers with an AppID that it never lists.
const char* const kClassWithoutAppId = "{91C4C540-9FDD-11D2-AFAA-00105A305A2B}";

std::string CustomControlsCaption(const ScanContext& context) {
  return context.Settings.Texts.GetLanString("RES_Scanning_Custom_Controls",
                                             "Scanning Custom Controls...");
}
std::string CustomControlsProblem(const ScanContext& context) {
  return context.Settings.Texts.GetLanString("RES_Problem_Custom_Controls",
                                             "Custom Controls Issue");
}
std::string ActiveXCaption(const ScanContext& context) {
  return context.Settings.Texts.GetLanString("RES_Scanning_Invalid_ActiveX",
                                             "Scanning Invalid ActiveX...");
}
std::string ActiveXProblem(const ScanContext& context) {
  return context.Settings.Texts.GetLanString("RES_Problem_ActiveX", "ActiveX Issue");
}

// The subkey names of one key of HKEY_CLASSES_ROOT, upper-cased; empty when
// the key cannot be opened.
std::vector<std::string> UpperSubkeyNames(ScanContext& context, const std::string& path) {
  TRegistry reg(context.Registry, RootKey::ClassesRoot, RegAccess::Read);
  std::vector<std::string> names;
  if (!reg.OpenPath(path)) return names;
  names = reg.SubkeyNameList();
  for (std::string& name : names) name = UpperCase(name);
  return names;
}

// Whether some listed name contains `needle` (both upper-cased). An empty
// needle is contained in nothing: a reference that names nothing is not a
// registration.
class RegisteredNames {
 public:
  explicit RegisteredNames(std::vector<std::string> upperNames)
      : m_names(std::move(upperNames)), m_exact(m_names.begin(), m_names.end()) {}

  bool AnyContains(const std::string& upperNeedle) const {
    if (upperNeedle.empty()) return false;
    if (m_exact.count(upperNeedle)) return true;  // the usual case, without a scan
    return std::any_of(m_names.begin(), m_names.end(), [&](const std::string& name) {
      return name.find(upperNeedle) != std::string::npos;
    });
  }

 private:
  std::vector<std::string> m_names;
  std::unordered_set<std::string> m_exact;
};

void CheckOneInterface(ScanContext& context, TRegistry& reg, const RegisteredNames& typeLibs,
                       const std::string& id, const std::string& problem) {
  const std::string path = "Interface\\" + id;
  if (!reg.OpenPath("\\" + path)) return;
  context.ShowCurrentKey(path);
  const std::optional<std::string> interfaceName = reg.TextValue("");
  if (!interfaceName) return;
  if (!reg.OpenPath("TypeLib")) return;  // no type library reference: not examined
  const std::optional<std::string> typeLibId = reg.TextValue("");
  if (!typeLibId || typeLibs.AnyContains(UpperCase(*typeLibId))) return;
  context.AddFinding(problem, std::string(kClassesRoot) + "\\" + path,
                     *interfaceName + " - " + *typeLibId, FindingKind::fkKey,
                     FindingEvidence(EvidenceRule::InterfaceTypeLibrary,
                                     EvidenceAnswer::MissingTypeLibrary, *typeLibId, ""));
}

// The InprocServer32 rule: a class served by the accessibility library, or
// whose server key has no text default value, is left alone.
bool ServerExemptsClass(TRegistry& reg) {
  if (!reg.OpenPath("InprocServer32")) return false;
  const std::optional<std::string> server = reg.TextValue("");
  return !server || FindNoCase(*server, "oleacc.dll") != std::string::npos;
}

void CheckOneClass(ScanContext& context, TRegistry& reg, const RegisteredNames& appIds,
                   const std::string& id, const std::string& problem) {
  const std::string path = "CLSID\\" + id;
  context.ShowCurrentKey(path);
  reg.ClosePath();
  if (id == kClassWithoutAppId) return;  // case-sensitive on purpose
  if (!reg.OpenPath(path)) return;
  const std::optional<std::string> appId = reg.TextValue("AppID");
  if (!appId || appId->empty()) return;
  if (appIds.AnyContains(UpperCase(*appId)) || appIds.AnyContains(UpperCase(id))) return;
  if (ServerExemptsClass(reg)) return;
  context.AddFinding(
      problem, std::string(kClassesRoot) + "\\" + path, *appId, FindingKind::fkKey,
      FindingEvidence(EvidenceRule::ClassAppId, EvidenceAnswer::MissingAppId, *appId, ""));
}

}  // namespace

bool TaskListHasFilesAndFolders(const ScanContext& context) {
  return std::any_of(context.TaskList.begin(), context.TaskList.end(),
                     [](const std::string& entry) { return TaskNumberFromText(entry) == 3; });
}

namespace {

void ScanDefaultValueTreeAt(ScanContext& context, const std::string& hiveName,
                            const std::string& prefix, const std::string& name, int depth) {
  const std::string hive = UpperCase(hiveName);
  const auto root = HiveNameToRootKey(hive);
  if (!root || depth > kMaxKeyDepth) return;
  TRegistry reg(context.Registry, *root, RegAccess::Read);
  const std::string path = prefix + name;
  if (!reg.OpenPath(path, false, WalkLinkRule(depth))) return;
  context.ShowCurrentKey(path);
  if (const std::optional<std::string> text = reg.TextValue("");
      text && context.ReferenceIsMissing(*text, "", false))
    context.AddFinding(CustomControlsProblem(context), hive + "\\" + path, *text,
                       FindingKind::fkKey,
                       context.EvidenceOfMissing(EvidenceRule::ClassDefaultValue));
  for (const std::string& subkey : reg.SubkeyNameList())
    if (!subkey.empty())  // an empty name would open this key again, for ever
      ScanDefaultValueTreeAt(context, hive, path + "\\", subkey, depth + 1);
}

}  // namespace

void ScanDefaultValueTree(ScanContext& context, const std::string& hiveName,
                          const std::string& prefix, const std::string& name) {
  ScanDefaultValueTreeAt(context, hiveName, prefix, name, 0);
}

void CheckInterfaceTypeLibs(ScanContext& context) {
  const RegisteredNames typeLibs(UpperSubkeyNames(context, "TypeLib"));
  TRegistry reg(context.Registry, RootKey::ClassesRoot, RegAccess::Read);
  if (!reg.OpenPath("Interface")) return;
  const std::string problem = CustomControlsProblem(context);
  for (const std::string& id : reg.SubkeyNameList())
    CheckOneInterface(context, reg, typeLibs, id, problem);
}

void CheckClassAppIds(ScanContext& context) {
  context.ShowTaskCaption(ActiveXCaption(context));
  const RegisteredNames appIds(UpperSubkeyNames(context, "AppID"));
  TRegistry reg(context.Registry, RootKey::ClassesRoot, RegAccess::Read);
  if (!reg.OpenPath("CLSID")) return;
  const std::string problem = ActiveXProblem(context);
  for (const std::string& id : reg.SubkeyNameList())
    CheckOneClass(context, reg, appIds, id, problem);
}

void ScanCustomControls(ScanContext& context) {
  context.ShowTaskCaption(CustomControlsCaption(context));
  if (!TaskListHasFilesAndFolders(context))
    ScanDefaultValueTree(context, kClassesRoot, "CLSID", "");
  CheckInterfaceTypeLibs(context);
}

void ScanInvalidActiveX(ScanContext& context) {
  context.ShowTaskCaption(ActiveXCaption(context));
  if (!TaskListHasFilesAndFolders(context))
    ScanValueTree(context, kClassesRoot, "TypeLib", ActiveXProblem(context), ".dll",
                  EvidenceRule::TypeLibraryFile);
  CheckClassAppIds(context);
}

}  // namespace hs
