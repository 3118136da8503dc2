#pragma once
// The one test every scanner asks of a registry string: does the file (or
// folder) it names still exist? Conservative: "missing" only for a text that
// starts with an absolute path on a scanned drive and for which no reading of
// the text finds an existing file; what it cannot judge counts as present.
#include <string>
#include <string_view>
#include <vector>

#include "scan/Evidence.h"
#include "scan/FlatStringMap.h"
#include "scan/ScanDrives.h"

namespace hs {

class PathExistenceMemo;
class FileSystemBackend;

// What a reference found missing rests on (see FindingEvidence).
struct MissingReference {
  EvidenceAnswer answer = EvidenceAnswer::None;
  std::string tested;  // quotes and arguments removed, variables as written
  std::string asked;   // the path the answer is about, as asked
};

class PathChecker {
 public:
  PathChecker(FileSystemBackend& fs, PathExistenceMemo& memo, const DriveFlags& drives,
              bool includeRemoveMedia);

  // True when the reference is missing (a finding); false when it exists or
  // was not judged. `fileName`: empty, or the name the text must contain.
  // Never throws, except ScanStopped when the scan is being stopped.
  // Answers are remembered with the existence memo's answers they rest on,
  // so a text met again in the same scan costs one lookup.
  bool ReferenceIsMissing(std::string_view text, std::string_view fileName, std::string_view drives,
                          bool acceptFolder);

  // Why the last call that answered true did so; valid until the next call.
  const MissingReference& LastMissing() const { return *m_lastMissing; }

  // Drops the remembered answers (at the end of a scan).
  void Clear() {
    m_answers.Clear();
    m_walkedFolders.Clear();
    m_missing.clear();
  }

  // Expands environment variables; the expansion only when it names an
  // existing folder, otherwise `text` unchanged.
  std::string ExpandSystemPath(const std::string& text);

 private:
  enum class DriveVerdict { NotJudged, Missing, Judge };
  DriveVerdict DriveTest(std::string_view path, std::string_view drives) const;
  bool CandidateExists(std::string_view candidate, bool acceptFolder);
  bool WithProgramSuffixExists(std::string& candidate);
  bool JudgeInExistingFolder(std::string_view path, std::size_t nameStart, bool acceptFolder);
  bool JudgeFromFirstCharacter(std::string_view path);
  // How the walk ended at a folder prefix: no existing file along the way,
  // and, when it proves the text missing, the length of the first folder
  // prefix the system did not find (0: none).
  struct WalkEnd {
    std::uint32_t missingFolder = 0;
    bool ProvesMissing() const { return missingFolder != 0; }
  };
  std::size_t ResumeWalk(std::string_view path, WalkEnd& outcome);
  void RememberWalk(std::string_view folder, WalkEnd outcome);
  bool MissingFolderFound(std::string_view path, WalkEnd walked);
  const std::string& WalkKey(std::string_view folder);
  bool Judge(std::string_view text, std::string_view fileName, std::string_view drives,
             bool acceptFolder);
  bool FileNameIsMissing(const std::string& path, const std::string& upper,
                         std::string_view fileName, std::string_view drives);
  bool RecordMissing(EvidenceAnswer answer, std::size_t cut, std::string_view asked);

  FileSystemBackend& m_fs;
  PathExistenceMemo& m_memo;
  const DriveFlags& m_drives;
  bool m_includeRemoveMedia;
  // Text, NUL, file name, folder flag -> 0 present, else 1 + index in m_missing.
  FlatStringMap<std::uint32_t> m_answers;
  std::vector<MissingReference> m_missing;
  // The text Judge reads (quotes removed) and, when it starts with a
  // variable, the lengths of the variable and its expansion.
  struct JudgedText {
    std::string text;
    std::size_t variable = 0;
    std::size_t expansion = 0;
  } m_judged;
  MissingReference m_unremembered;  // the last missing answer not remembered
  const MissingReference* m_lastMissing = &m_unremembered;
  std::string m_key;  // reused so that a lookup allocates nothing
  // How the step-by-step walk ended at each folder prefix ("C:\A\B\") it
  // reached: texts in the same folders share their prefixes, and the walk
  // over a prefix depends on nothing else.
  FlatStringMap<WalkEnd> m_walkedFolders;
  std::string m_walkKey;
};

// Characters at which a command line may end and its arguments begin.
bool IsArgumentDelimiter(char c);

}  // namespace hs
