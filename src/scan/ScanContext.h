#pragma once
// Everything a scanner is handed: the machine (registry and file system), the
// sink it reports to, the drive flags, the settings it reads, the task list,
// the stop flag and the per-scan existence memo. One context per scan; the
// memo dies with it.
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "platform/SystemFacts.h"
#include "scan/Finding.h"
#include "scan/PathExistenceMemo.h"
#include "scan/ReferenceCheck.h"
#include "scan/ScanDrives.h"
#include "scan/ScanSink.h"
#include "scan/ScanStop.h"
#include "translation/Translation.h"

namespace hs {

struct Settings;

// The settings a scan reads; nobody changes them while it runs.
struct ScanSettings {
  bool IncludeRemoveMedia = false;
  bool IncludeCDdrive = false;
  int WindowsVersionCode = 12;
  WindowsVersionInfo WindowsVersion{kPlatformWin32Nt, 6, 1};  // the one code 12 names
  bool RunsOnWow64 = false;
  // The key of this user's hive under HKEY_USERS ("S-1-5-21-..."); "" when
  // unknown.
  std::string CurrentUserSid;

  // The language of the captions and problem texts.
  Translation Texts;

  // IncludeRemoveMedia and IncludeCDdrive from `settings`, the rest from the
  // system's facts and the caller's language.
  static ScanSettings From(const Settings& settings, const SystemFacts& facts,
                           Translation texts = {});
};

class ScanContext {
 public:
  // Builds the drive flags from the file system, as the worker does when it
  // is created.
  ScanContext(RegistryBackend& registry, FileSystemBackend& files, ScanSink& sink,
              const ScanSettings& settings, std::vector<std::string> taskList);
  ScanContext(const ScanContext&) = delete;
  ScanContext& operator=(const ScanContext&) = delete;

  RegistryBackend& Registry;
  FileSystemBackend& Files;
  ScanSink& Sink;
  const ScanSettings Settings;
  DriveFlags Drives;
  std::vector<std::string> TaskList;
  StopFlag Stop;
  PathExistenceMemo Memo;
  PathChecker Checker;

  // The task running now and the last caption it showed (the files-and-
  // folders walk compares it to pick its exclusions).
  int CurrentTask = 0;
  std::string CurrentCaption;

  // Reports; each first checks the stop flag, so nothing is reported once a
  // stop was requested.
  void ShowTaskCaption(const std::string& caption);
  void ShowCurrentKey(const std::string& keyPath);
  void AddFinding(std::string problem, std::string keyPath, std::string valueText,
                  FindingKind kind);
  // A finding about one value: kind 1 with the value name as the last
  // component of the key path, or kind 2 when the name holds a backslash
  // (kind 1 cannot express it). `keyPath` may be empty (the hive root).
  void AddValueFinding(const std::string& problem, const std::string& hiveName,
                       const std::string& keyPath, const std::string& valueName,
                       const std::string& valueText);
  void CheckStop() const { Stop.Check(); }
  // Whether the scan's task list names this task.
  bool TaskListHas(int task) const;

  // ReferenceIsMissing against this scan's drives.
  bool ReferenceIsMissing(std::string_view text, std::string_view fileName, bool acceptFolder) {
    return Checker.ReferenceIsMissing(text, fileName, Drives.ScanDrives, acceptFolder);
  }
};

// "HKEY_X" + "\" + path, without a doubled backslash for the hive root.
std::string JoinKeyPath(std::string_view first, std::string_view second);

}  // namespace hs
