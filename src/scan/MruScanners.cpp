#include "scan/MruScanners.h"

#include <cctype>
#include <exception>

#include "common/Rot13.h"
#include "common/Text.h"
#include "platform/RegistryLinks.h"
#include "platform/TRegistry.h"
#include "scan/FilesAndFoldersScan.h"
#include "scan/ScanContext.h"

namespace hs {
namespace {

const char* const kOpenSaveMruKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
const char* const kUsageCountKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\"
    "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count";
const char* const kApplicationsKey = "Software\\Classes\\Applications";
// Records larger than this are not usage counters.
constexpr std::int64_t kMaxUsageRecordSize = 32767;

std::string MruProblem(const ScanContext& context) {
  return context.Settings.Texts.GetLanString("RES_Problem_MRU",
                                             "Missing MRU and History Lists file");
}

bool OnScannedDrive(const std::string& text, const std::string& drives) {
  if (text.size() < 3 || text.compare(1, 2, ":\\") != 0) return false;
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return drives.find(letter) != std::string::npos;
}

// A top-level list entry names a document without its extension; the
// extension subkeys say which ones to try. The text as it stands is tried
// too, so that an entry naming an existing file is never reported.
bool MruEntryIsMissing(ScanContext& context, const std::string& text,
                       const std::vector<std::string>& extensions) {
  if (context.Memo.FileExists(text)) return false;
  for (const std::string& extension : extensions)
    if (extension != "*" && context.Memo.FileExists(text + "." + extension)) return false;
  return true;
}

void CheckTopLevelMruValues(ScanContext& context, TRegistry& reg,
                            const std::vector<std::string>& extensions,
                            const std::string& problem) {
  for (const std::string& name : reg.ValueNameList()) {
    const std::optional<std::string> text = reg.TextValue(name);
    if (!text || !OnScannedDrive(*text, context.Drives.ScanDrives)) continue;
    if (MruEntryIsMissing(context, *text, extensions))
      context.AddValueFinding(
          problem, "HKEY_CURRENT_USER", kOpenSaveMruKey, name, *text,
          FindingEvidence(EvidenceRule::RecentDocument, EvidenceAnswer::MissingFile, *text, *text));
  }
}

void ScanOpenSaveLists(ScanContext& context, const std::string& problem) {
  TRegistry reg(context.Registry, RootKey::CurrentUser, RegAccess::Read);
  if (!reg.OpenPath(kOpenSaveMruKey)) return;
  context.ShowCurrentKey(kOpenSaveMruKey);
  const std::vector<std::string> extensions = reg.SubkeyNameList();
  CheckTopLevelMruValues(context, reg, extensions, problem);
  for (const std::string& extension : extensions)
    ScanValueTree(context, "HKEY_CURRENT_USER", std::string(kOpenSaveMruKey) + "\\" + extension,
                  problem, "", EvidenceRule::RecentDocument);
}

// `value` comes from the key's value list, so its size and data are the
// ones ValueSize and ReadBytes would give, without asking the key by name
// once per value.
void CheckUsageRecord(ScanContext& context, const RegValue& value, const std::string& problem) {
  context.CheckStop();
  if (value.data.size() > static_cast<std::size_t>(kMaxUsageRecordSize)) return;
  const std::vector<std::uint8_t>& record = value.data;
  const std::string name = Rot13(value.name);
  bool missing = false;
  const std::size_t colon = name.find(':');
  if (name.find(".lnk") == std::string::npos && colon != std::string::npos)
    missing = context.ReferenceIsMissing(name.substr(colon + 1), "", true);
  // A record too short to hold a counter is judged by its name alone.
  const std::optional<std::uint32_t> runs = UsageRunCounter(record);
  std::optional<FindingEvidence> evidence;
  if (runs && *runs == 0)
    evidence =
        FindingEvidence(EvidenceRule::UsageRecordUnused, EvidenceAnswer::NoRunsCounted, name, "");
  else if (missing)
    evidence = context.EvidenceOfMissing(EvidenceRule::UsageRecordProgram);
  if (evidence)
    context.AddFinding(problem, std::string("HKEY_CURRENT_USER\\") + kUsageCountKey, name,
                       FindingKind::fkRotatedValue, std::move(*evidence));
}

void ScanUsageCounters(ScanContext& context, const std::string& problem) {
  TRegistry reg(context.Registry, RootKey::CurrentUser, RegAccess::Read);
  if (!reg.OpenPath(kUsageCountKey)) return;
  context.ShowCurrentKey(kUsageCountKey);
  for (const RegValue& value : reg.ValueList()) CheckUsageRecord(context, value, problem);
}

void CollectCommandKeys(ScanContext& context, RootKey root, const std::string& path,
                        std::vector<CommandKey>& out, int depth = 0) {
  if (depth > kMaxKeyDepth) return;
  context.CheckStop();
  TRegistry reg(context.Registry, root, RegAccess::Read);
  if (!reg.OpenPath(path, false, WalkLinkRule(depth))) return;
  {
    TRegistry command(context.Registry, root, RegAccess::Read);
    // A missing default value is an empty command line; one that is not
    // text is no command line at all.
    RegValue line;
    if (command.OpenPath(path + "\\command")) {
      if (!command.RawValue("", line))
        out.push_back({path, ""});
      else if (line.type == kRegSz || line.type == kRegExpandSz)
        out.push_back({path, RegDataToText(line.data)});
    }
  }
  for (const std::string& subkey : reg.SubkeyNameList())
    if (!subkey.empty()) CollectCommandKeys(context, root, path + "\\" + subkey, out, depth + 1);
}

void CheckApplication(ScanContext& context, const std::string& name, const std::string& problem) {
  const std::string path = std::string(kApplicationsKey) + "\\" + name;
  context.ShowCurrentKey(path);
  constexpr EvidenceRule kRule = EvidenceRule::ApplicationCommand;
  for (const CommandKey& command : FindCommandKeys(context, RootKey::LocalMachine, path)) {
    std::optional<FindingEvidence> evidence;
    if (command.commandLine.empty())
      evidence = FindingEvidence(kRule, EvidenceAnswer::EmptyText, "", "");
    else if (context.ReferenceIsMissing(command.commandLine, "", false))
      evidence = context.EvidenceOfMissing(kRule);
    if (evidence)
      context.AddFinding(problem, "HKEY_LOCAL_MACHINE\\" + command.keyPath + "\\command",
                         command.commandLine, FindingKind::fkKey, std::move(*evidence));
  }
}

}  // namespace

std::optional<std::uint32_t> UsageRunCounter(const std::vector<std::uint8_t>& record) {
  if (record.size() < 8) return std::nullopt;
  return static_cast<std::uint32_t>(record[4]) | static_cast<std::uint32_t>(record[5]) << 8 |
         static_cast<std::uint32_t>(record[6]) << 16 | static_cast<std::uint32_t>(record[7]) << 24;
}

std::vector<CommandKey> FindCommandKeys(ScanContext& context, RootKey root,
                                        const std::string& appKeyPath) {
  std::vector<CommandKey> found;
  try {
    CollectCommandKeys(context, root, appKeyPath, found);
  } catch (const std::exception&) {
    // An unreadable key ends this application's walk; what was found stands.
  }
  return found;
}

void ScanMruLists(ScanContext& context) {
  context.ShowTaskCaption(context.Settings.Texts.GetLanString("RES_Scanning_MRU_And_History_Lists",
                                                              "Scanning MRU and History Lists..."));
  const std::string problem = MruProblem(context);
  ScanOpenSaveLists(context, problem);
  try {
    ScanUsageCounters(context, problem);
  } catch (const std::exception&) {
    // The usage counters are the task's last step; an error there ends the
    // task quietly.
  }
}

void ScanApplications(ScanContext& context) {
  // No caption of its own: the previous task's caption stays.
  try {
    TRegistry reg(context.Registry, RootKey::LocalMachine, RegAccess::Read);
    if (!reg.OpenPath(kApplicationsKey)) return;
    const std::string problem = context.Settings.Texts.GetLanString("RES_Problem_Applications",
                                                                    "Open with Application Issue");
    for (const std::string& name : reg.SubkeyNameList()) CheckApplication(context, name, problem);
  } catch (const std::exception&) {
    // Any error ends this task quietly.
  }
}

}  // namespace hs
