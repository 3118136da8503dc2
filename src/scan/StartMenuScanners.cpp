#include "scan/StartMenuScanners.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>
#include <vector>

#include "common/Text.h"
#include "platform/FileSystemBackend.h"
#include "platform/TRegistry.h"
#include "scan/ScanContext.h"

namespace hs {
namespace {

const char* const kMenuOrderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\&Programs",
};

// Searched for shortcuts, in this order.
const int kShortcutFolders[] = {csidl::kCommonStartMenu, csidl::kCommonDesktopDirectory,
                                csidl::kAppData,         csidl::kRecent,
                                csidl::kStartMenu,       csidl::kDesktopDirectory};

// No shortcut worth finding lies deeper than this; it bounds the walk should
// a loop of folders get past the link test below.
constexpr int kMaxFolderDepth = 32;

bool IsDotEntry(const std::string& name) {
  return name == "." || name == "..";
}

// The upper-cased names of the folders directly inside the Programs folders.
// False when a Programs folder exists but cannot be listed, or when neither
// folder is known: then no menu-order key can be judged.
bool ProgramFolderNames(FileSystemBackend& files, std::unordered_set<std::string>& names) {
  bool anyListed = false;
  for (const int folderId : {csidl::kPrograms, csidl::kCommonPrograms}) {
    const std::string folder = files.specialFolder(folderId);
    if (folder.empty()) continue;  // this Windows has no such folder
    std::vector<DirEntry> entries;
    const FsStatus status = files.listDirectory(folder, entries);
    if (status == FsStatus::NotFound) continue;  // a folder that is not there holds nothing
    if (status != FsStatus::Ok) return false;
    anyListed = true;
    for (const DirEntry& entry : entries)
      if (entry.isFolder && !IsDotEntry(entry.name)) names.insert(UpperCase(entry.name));
  }
  return anyListed;
}

void CheckMenuOrderKey(ScanContext& context, const std::string& keyPath,
                       const std::unordered_set<std::string>& folders, const std::string& problem) {
  TRegistry reg(context.Registry, RootKey::CurrentUser, RegAccess::Read);
  if (!reg.OpenPath(keyPath)) return;
  for (const std::string& subkey : reg.SubkeyNameList()) {
    context.ShowCurrentKey(keyPath + "\\" + subkey);
    if (!folders.count(UpperCase(subkey)))
      context.AddFinding(problem, "HKEY_CURRENT_USER\\" + keyPath, subkey, FindingKind::fkSubkey,
                         FindingEvidence(EvidenceRule::MenuOrderFolder,
                                         EvidenceAnswer::NoProgramFolder, subkey, ""));
  }
}

bool HasLnkExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && EqualsNoCase(name.substr(dot), ".lnk");
}

bool StartsWithDrivePath(const std::string& target, const std::string& drives) {
  if (target.size() < 3 || target.compare(1, 2, ":\\") != 0) return false;
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(target[0])));
  return drives.find(letter) != std::string::npos;
}

bool OnAbsentFloppy(const ScanContext& context, const std::string& target) {
  if (!context.Settings.IncludeRemoveMedia) return false;
  return (StartsWithNoCase(target, "A:\\") && !context.Drives.FloppyAReady) ||
         (StartsWithNoCase(target, "B:\\") && !context.Drives.FloppyBReady);
}

// The evidence of a missing target; nullopt when it is there or not judged.
std::optional<FindingEvidence> MissingTarget(ScanContext& context, const std::string& target) {
  constexpr EvidenceRule kRule = EvidenceRule::ShortcutTarget;
  if (target.empty()) return std::nullopt;  // unreadable, or not a file-system item
  if (context.Drives.RunsOnWow64 &&
      (ContainsNoCase(target, "system32") || ContainsNoCase(target, "ProgramFiles") ||
       ContainsNoCase(target, "Program Files")))
    return std::nullopt;  // redirected for a 32-bit process: cannot be judged
  if (!StartsWithDrivePath(target, context.Drives.ScanDrives)) return std::nullopt;
  if (OnAbsentFloppy(context, target)) return ScanContext::DiskNotInDrive(kRule, target);
  if (!context.ReferenceIsMissing(target, "", false)) return std::nullopt;
  FindingEvidence evidence = context.EvidenceOfMissing(kRule);
  if (context.Memo.FolderExists(target)) return std::nullopt;
  return evidence;
}

// One walk over the six folders. On newer layouts the Start menu and the
// recent documents lie inside the application-data folder, so the same file
// is reached twice; it is examined once.
struct ShortcutWalk {
  ScanContext& context;
  std::string problem;
  std::unordered_set<std::string> examined;  // upper-cased paths
};

void ExamineShortcut(ShortcutWalk& walk, const std::string& path) {
  if (!walk.examined.insert(UpperCase(path)).second) return;
  ScanContext& context = walk.context;
  const std::string& problem = walk.problem;
  context.ShowCurrentKey(path);
  const ShortcutTarget link = context.Files.readShortcut(path);
  const std::string target = link.readable ? link.path : std::string();
  if (std::optional<FindingEvidence> evidence = MissingTarget(context, target))
    context.AddFinding(problem, path, target, FindingKind::fkFile, std::move(*evidence));
}

void WalkShortcutFolder(ShortcutWalk& walk, const std::string& folder, int depth) {
  walk.context.CheckStop();
  std::vector<DirEntry> entries;
  if (walk.context.Files.listDirectory(folder, entries) != FsStatus::Ok) return;
  for (const DirEntry& entry : entries) {
    if (IsDotEntry(entry.name)) continue;
    const std::string path = folder + "\\" + entry.name;
    if (entry.isFolder) {
      // Junctions and symbolic links are not followed: two links back to a
      // parent would make the walk grow as 2^depth, and what they lead to
      // is walked where it really lies when it is inside a searched folder.
      if (!entry.isLink && depth < kMaxFolderDepth) WalkShortcutFolder(walk, path, depth + 1);
    } else if (HasLnkExtension(entry.name)) {
      ExamineShortcut(walk, path);
    }
  }
}

}  // namespace

void ScanStartMenu(ScanContext& context) {
  context.ShowTaskCaption(
      context.Settings.Texts.GetLanString("RES_Scanning_Start_Menu", "Scanning Start Menu..."));
  std::unordered_set<std::string> folders;
  if (!ProgramFolderNames(context.Files, folders)) return;
  const std::string problem =
      context.Settings.Texts.GetLanString("RES_Problem_Start_Menu", "Old Start Menu Key");
  for (const char* keyPath : kMenuOrderKeys) CheckMenuOrderKey(context, keyPath, folders, problem);
}

void ScanShortcuts(ScanContext& context) {
  context.ShowTaskCaption(
      context.Settings.Texts.GetLanString("RES_Scanning_Shortcuts", "Scanning Shortcuts..."));
  ShortcutWalk walk{
      context,
      context.Settings.Texts.GetLanString("RES_Problem_ShortCuts", "Missing ShortCut reference"),
      {}};
  for (const int folderId : kShortcutFolders) {
    std::string folder = context.Files.specialFolder(folderId);
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();  // a drive root
    if (!folder.empty()) WalkShortcutFolder(walk, folder, 0);
  }
}

}  // namespace hs
