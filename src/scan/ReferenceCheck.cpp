#include "scan/ReferenceCheck.h"

#include <algorithm>
#include <array>

#include "common/Text.h"
#include "platform/FileSystemBackend.h"
#include "scan/PathExistenceMemo.h"

namespace hs {
namespace {

constexpr std::array<std::string_view, 3> kProgramSuffixes = {".exe", ".com", ".bat"};

// Whether a text can pass the drive test at all: it names a scanned drive
// right at its start (after an opening quote), or begins with a variable.
// Everything else is not judged, so most registry strings cost no lookup.
bool MayBeJudged(std::string_view text, std::string_view drives) {
  const std::size_t start = text.front() == '"' ? 1 : 0;
  if (text.size() < start + 3) return text.size() > start && text[start] == '%';
  const char first = text[start];
  if (first == '%') return true;
  const char lower = (first >= 'A' && first <= 'Z') ? static_cast<char>(first + 32) : first;
  return text[start + 1] == ':' && text[start + 2] == '\\' &&
         drives.find(lower) != std::string_view::npos;
}

// Where the file name of a text read as a command line ends: at the first
// argument delimiter after its last backslash whose reading ends in a name
// with an extension ("C:\A\my app.exe /x" -> "C:\A\my app.exe"), else at
// the first one, else at its end. Each such reading was asked.
std::size_t FileNameEnd(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  std::size_t first = path.size();
  for (std::size_t i = nameStart + 1; i < path.size(); ++i) {
    if (!IsArgumentDelimiter(path[i])) continue;
    if (first == path.size()) first = i;
    if (path.substr(nameStart, i - nameStart).find('.') != std::string_view::npos) return i;
  }
  return first;
}

}  // namespace

bool IsArgumentDelimiter(char c) {
  switch (c) {
    case ' ':
    case '*':
    case ',':
    case '/':
    case ':':
    case ';':
    case '<':
    case '>':
    case '?':
    case '|':
      return true;
    default:
      return false;
  }
}

PathChecker::PathChecker(FileSystemBackend& fs, PathExistenceMemo& memo, const DriveFlags& drives,
                         bool includeRemoveMedia)
    : m_fs(fs), m_memo(memo), m_drives(drives), m_includeRemoveMedia(includeRemoveMedia) {}

std::string PathChecker::ExpandSystemPath(const std::string& text) {
  const std::optional<std::string> expanded = m_fs.expandEnvironment(text);
  const std::string result = expanded ? Trim(*expanded) : text;
  return m_memo.FolderExists(result) ? result : text;
}

PathChecker::DriveVerdict PathChecker::DriveTest(std::string_view path,
                                                 std::string_view drives) const {
  if (path.size() < 3) return DriveVerdict::NotJudged;
  const char first = static_cast<char>((path[0] >= 'A' && path[0] <= 'Z') ? path[0] + 32 : path[0]);
  if (drives.find(first) == std::string_view::npos) return DriveVerdict::NotJudged;
  if (path.find(":\\") != 1) return DriveVerdict::NotJudged;
  if (m_includeRemoveMedia) {
    if (first == 'a' && !m_drives.FloppyAReady) return DriveVerdict::Missing;
    if (first == 'b' && !m_drives.FloppyBReady) return DriveVerdict::Missing;
  }
  return DriveVerdict::Judge;
}

bool PathChecker::CandidateExists(std::string_view candidate, bool acceptFolder) {
  const PathProbe answer = m_memo.Probe(candidate);
  return answer == PathProbe::File || answer == PathProbe::Inaccessible ||
         (acceptFolder && answer == PathProbe::Folder);
}

// Appends each program suffix in turn; restores `candidate` before returning.
bool PathChecker::WithProgramSuffixExists(std::string& candidate) {
  const std::size_t size = candidate.size();
  bool found = false;
  for (std::string_view suffix : kProgramSuffixes) {
    candidate.append(suffix);
    found = m_memo.FileExists(candidate);
    candidate.resize(size);
    if (found) break;
  }
  return found;
}

bool PathChecker::JudgeInExistingFolder(std::string_view path, std::size_t nameStart,
                                        bool acceptFolder) {
  std::string candidate(path.substr(0, nameStart));
  for (std::size_t i = nameStart; i < path.size(); ++i) {
    if (IsArgumentDelimiter(path[i])) {
      if (CandidateExists(candidate, acceptFolder)) return false;
      if (WithProgramSuffixExists(candidate)) return false;
    }
    candidate += path[i];
  }
  while (!candidate.empty()) {
    if (CandidateExists(candidate, acceptFolder)) return false;
    if (WithProgramSuffixExists(candidate)) return false;
    if (candidate.back() != ';') break;
    candidate.pop_back();
  }
  const std::size_t cut = FileNameEnd(path);
  return RecordMissing(EvidenceAnswer::MissingFile, cut, path.substr(0, cut));
}

// Whether the system might resolve the text differently from its plain
// prefixes: "." components or forward slashes. Then a missing folder along
// the way proves nothing.
static bool MayResolveOtherwise(std::string_view path) {
  return path.find("\\.") != std::string_view::npos || path.find('/') != std::string_view::npos;
}

// Whether a folder prefix ("...\\name\\") that the system does not find
// proves everything below it missing (in a text that resolves plainly): not
// for a drive root, nor for a name ending in a dot or blank (which the system
// may trim).
static bool MissingFolderProvesMissing(std::string_view folder) {
  if (folder.size() < 5) return false;
  const char last = folder[folder.size() - 2];
  return last != '.' && last != ' ' && last != '\\';
}

// The key of a folder prefix: ASCII folded as the existence memo folds it;
// other text as it stands (its folding may move byte positions).
const std::string& PathChecker::WalkKey(std::string_view folder) {
  m_walkKey.assign(folder);
  for (char& c : m_walkKey) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      m_walkKey.assign(folder);
      break;
    }
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return m_walkKey;
}

void PathChecker::RememberWalk(std::string_view folder, WalkEnd outcome) {
  const std::string& key = WalkKey(folder);
  if (!m_walkedFolders.Find(key)) m_walkedFolders.Insert(key, outcome);
}

// Where an earlier walk lets this one go on: after the longest folder prefix
// it reached (0: from the start), and how it ended there.
std::size_t PathChecker::ResumeWalk(std::string_view path, WalkEnd& outcome) {
  outcome = WalkEnd{};
  for (std::size_t end = path.size(); end > 0;) {
    const std::size_t slash = path.rfind('\\', end - 1);
    if (slash == std::string_view::npos) break;
    if (const WalkEnd* known = m_walkedFolders.Find(WalkKey(path.substr(0, slash + 1)))) {
      outcome = *known;
      return slash + 1;
    }
    end = slash;
  }
  return 0;
}

// Step by step from the first character. Once a folder prefix is not found,
// nothing below it can exist, so the rest of the text is not asked about.
// How the walk ends at a folder prefix depends on that prefix alone (and on
// MayResolveOtherwise), so it is remembered per prefix for the texts that
// share it: texts that resolve otherwise walk on past a proving folder.
bool PathChecker::JudgeFromFirstCharacter(std::string_view path) {
  const bool resolvesOtherwise = MayResolveOtherwise(path);
  WalkEnd walked;
  const std::size_t start = ResumeWalk(path, walked);
  if (walked.ProvesMissing() && !resolvesOtherwise) return MissingFolderFound(path, walked);
  std::string prefix(path.substr(0, start));
  prefix.reserve(path.size() + 4);
  for (const char c : path.substr(start)) {
    if (IsArgumentDelimiter(c) && WithProgramSuffixExists(prefix)) return false;
    prefix += c;
    const PathProbe answer = m_memo.Probe(prefix);
    if (answer == PathProbe::File || answer == PathProbe::Inaccessible) return false;
    if (c != '\\') continue;
    if (!walked.ProvesMissing() && answer == PathProbe::NotFound &&
        MissingFolderProvesMissing(prefix))
      walked.missingFolder = static_cast<std::uint32_t>(prefix.size());
    RememberWalk(prefix, walked);
    if (walked.ProvesMissing() && !resolvesOtherwise) return MissingFolderFound(path, walked);
  }
  // A text that may resolve otherwise (arguments with a slash) walked past
  // its missing folder and found nothing after it either.
  if (walked.ProvesMissing()) return MissingFolderFound(path, walked);
  const std::size_t cut = FileNameEnd(path);
  return RecordMissing(EvidenceAnswer::MissingFile, cut, path.substr(0, cut));
}

bool PathChecker::MissingFolderFound(std::string_view path, WalkEnd walked) {
  return RecordMissing(EvidenceAnswer::MissingFolder, FileNameEnd(path),
                       path.substr(0, walked.missingFolder));
}

// Keeps why the text is missing, `cut` being where its tested part ends in
// the judged path (its variable expanded). Always true.
bool PathChecker::RecordMissing(EvidenceAnswer answer, std::size_t cut, std::string_view asked) {
  const JudgedText& judged = m_judged;
  std::size_t testedLength = judged.variable;
  if (cut >= judged.expansion) testedLength = cut - judged.expansion + judged.variable;
  m_unremembered.answer = answer;
  m_unremembered.tested.assign(judged.text, 0, std::min(testedLength, judged.text.size()));
  m_unremembered.asked.assign(asked);
  m_lastMissing = &m_unremembered;
  return true;
}

bool PathChecker::ReferenceIsMissing(std::string_view text, std::string_view fileName,
                                     std::string_view drives, bool acceptFolder) {
  if (text.empty() || !MayBeJudged(text, drives)) return false;
  // Remembered only for the scan's own drives and while the memo is small
  // enough; the answer depends on nothing else.
  constexpr std::size_t kMaxAnswers = 2'000'000;
  if (drives != m_drives.ScanDrives) return Judge(text, fileName, drives, acceptFolder);
  m_key.assign(text);
  m_key += '\0';
  m_key += fileName;
  m_key += acceptFolder ? '\1' : '\0';
  if (const std::uint32_t* known = m_answers.Find(m_key)) {
    if (*known != 0) m_lastMissing = &m_missing[*known - 1];
    return *known != 0;
  }
  const bool missing = Judge(text, fileName, drives, acceptFolder);
  if (m_answers.Size() >= kMaxAnswers) return missing;
  std::uint32_t answer = 0;
  if (missing) {
    m_missing.push_back(std::move(m_unremembered));
    m_lastMissing = &m_missing.back();
    answer = static_cast<std::uint32_t>(m_missing.size());
  }
  m_answers.Insert(m_key, answer);  // Judge leaves m_key be
  return missing;
}

bool PathChecker::Judge(std::string_view text, std::string_view fileName, std::string_view drives,
                        bool acceptFolder) {
  // Searches run on an upper-cased copy kept in step with the text. Where
  // folding moves byte positions (invalid UTF-8, a few capitals of another
  // encoded length) the folded copy is judged itself.
  std::string upper = UpperCase(text);
  std::string path = UpperCaseKeepsPositions(text) ? std::string(text) : upper;
  if (upper.find("\\HP") != std::string::npos) return false;
  if (m_drives.RunsOnWow64 && (upper.find("SYSTEM32") != std::string::npos ||
                               upper.find("PROGRAMFILES") != std::string::npos ||
                               upper.find("PROGRAM FILES") != std::string::npos))
    return false;

  if (path.front() == '"') {
    const std::size_t quote = path.find('"', 1);
    if (path.size() == 1) return false;
    const std::size_t end = quote == std::string::npos ? path.size() : quote;
    path = path.substr(1, end - 1);
    upper = upper.substr(1, end - 1);
  }
  m_judged.text = path;
  m_judged.variable = 0;
  m_judged.expansion = 0;

  if (!path.empty() && path.front() == '%') {
    const std::string rest = path.substr(1);
    if (rest.empty()) return false;
    const std::size_t close = rest.find('%');
    const std::string variable =
        close == std::string::npos ? rest : "%" + rest.substr(0, close + 1);
    const std::string tail = close == std::string::npos ? rest : path.substr(close + 2);
    const std::string expanded = ExpandSystemPath(variable);
    if (!expanded.empty() && expanded.front() == '%') return false;
    m_judged.variable = path.size() - tail.size();
    m_judged.expansion = expanded.size();
    path = expanded + tail;
    upper = UpperCase(path);
    if (!UpperCaseKeepsPositions(path)) path = upper;
    if (m_drives.RunsOnWow64 && (upper.find("SYSTEM32") != std::string::npos ||
                                 upper.find("PROGRAM FILES") != std::string::npos))
      return false;
  }

  if (!fileName.empty()) return FileNameIsMissing(path, upper, fileName, drives);

  if (path.empty()) return false;
  switch (DriveTest(path, drives)) {
    case DriveVerdict::NotJudged:
      return false;
    case DriveVerdict::Missing: {
      const std::size_t cut = FileNameEnd(path);
      return RecordMissing(EvidenceAnswer::DiskNotInDrive, cut, path.substr(0, cut));
    }
    case DriveVerdict::Judge:
      break;
  }
  if (path.find(":\\", 3) != std::string::npos) return false;
  const std::size_t nameStart = path.rfind('\\') + 1;
  const std::string_view folder = std::string_view(path).substr(0, nameStart);
  const bool folderExists = m_memo.FolderExists(folder);
  if (folder.size() == path.size() && folderExists) return false;
  if (folderExists) return JudgeInExistingFolder(path, nameStart, acceptFolder);
  return JudgeFromFirstCharacter(path);
}

// The text is cut right after the first occurrence of the name the caller
// expects; only that file counts.
bool PathChecker::FileNameIsMissing(const std::string& path, const std::string& upper,
                                    std::string_view fileName, std::string_view drives) {
  const std::string upperName = UpperCase(fileName);
  const std::size_t at = upper.find(upperName);
  if (at == std::string::npos) return false;
  std::string cut = path.substr(0, at + upperName.size());
  switch (DriveTest(cut, drives)) {
    case DriveVerdict::NotJudged:
      return false;
    case DriveVerdict::Missing:
      return RecordMissing(EvidenceAnswer::DiskNotInDrive, cut.size(), cut);
    case DriveVerdict::Judge:
      break;
  }
  if (m_memo.FileExists(cut)) return false;
  // A name without extension (an App Paths entry "MyTool") names a program
  // whose file has one: try the program suffixes as the command line would.
  if (fileName.find('.') == std::string_view::npos && WithProgramSuffixExists(cut)) return false;
  return RecordMissing(EvidenceAnswer::MissingFile, cut.size(), cut);
}

}  // namespace hs
