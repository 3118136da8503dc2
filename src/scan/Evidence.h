#pragma once
// Why a row was flagged: the check that made it, the text that check tested,
// the path it asked of the file system and the definite answer it got. The
// words for the check and the answer live in the translation file
// (findings/EvidenceTexts); a row holds two small numbers and two strings,
// since a scan may yield a hundred thousand rows.
#include <cstdint>
#include <string>
#include <string_view>

namespace hs {

// One per check of a scanner; the comment names the task.
enum class EvidenceRule : std::uint8_t {
  None = 0,                // a row made by hand (tests, older callers)
  FilesAndFoldersValue,    // 3, 4, 5
  AppPathsProgram,         // 6
  FontFile,                // 7
  HelpFile,                // 8
  SharedDllFile,           // 9
  SharedDllUnused,         // 9
  StartupCommand,          // 10
  DisabledStartupCommand,  // 10
  UninstallCommand,        // 11
  UnusedClassKey,          // 12
  UnusedFileTypeKey,       // 12
  ClassDefaultValue,       // 13
  InterfaceTypeLibrary,    // 13
  EmptySoftwareKey,        // 14
  ServiceProgram,          // 15
  MenuOrderFolder,         // 16
  ShortcutTarget,          // 17
  SoundFile,               // 18
  TypeLibraryFile,         // 19
  ClassAppId,              // 19
  RecentDocument,          // 20
  UsageRecordProgram,      // 20
  UsageRecordUnused,       // 20
  InstallerFile,           // 21
  InstallerFolder,         // 21
  ArpCacheEntry,           // 21
  ApplicationCommand,      // 22
  Count
};

// The answer a finding rests on. Only the first three come from the file
// system; the others from the registry.
enum class EvidenceAnswer : std::uint8_t {
  None = 0,
  MissingFile,         // "not found" for the file itself, its folder being there
  MissingFolder,       // "not found" for a folder on its way
  DiskNotInDrive,      // a floppy drive without a disk
  EmptyText,           // the value names nothing
  UnusedCount,         // a use count of 0
  NoRunsCounted,       // a usage record of 0 runs
  NoUninstallCommand,  // no uninstall command and not a system component
  EmptyKey,            // no values, nor subkeys holding any
  NoProgramFolder,     // no folder of that name in the Programs menus
  MissingTypeLibrary,  // no type library registered under that id
  MissingAppId,        // no AppID registered under that id
  NoUninstallEntry,    // no uninstall entry of that name
  Count
};

// Whether the answer came from asking the file system about a path.
bool AnswerConcernsPath(EvidenceAnswer answer);

class FindingEvidence {
 public:
  FindingEvidence() = default;
  // `asked` is the path the file system was asked about; "" when the answer
  // came from the registry.
  FindingEvidence(EvidenceRule rule, EvidenceAnswer answer, std::string tested,
                  std::string_view asked);

  EvidenceRule Rule() const { return m_rule; }
  EvidenceAnswer Answer() const { return m_answer; }
  // The text tested: quotes and arguments removed, variables unexpanded.
  const std::string& Tested() const { return m_tested; }
  // The path asked, variables expanded; "" when nothing was asked.
  const std::string& AskedPath() const;
  bool operator==(const FindingEvidence&) const = default;

 private:
  std::string m_tested;
  std::string m_asked;  // empty when it equals the tested text (the usual case)
  EvidenceRule m_rule = EvidenceRule::None;
  EvidenceAnswer m_answer = EvidenceAnswer::None;
};

}  // namespace hs
