#include "scan/ReferenceCheck.h"

#include <array>

#include "common/Text.h"
#include "platform/FileSystemBackend.h"
#include "scan/PathExistenceMemo.h"

namespace hs {
namespace {

constexpr std::array<std::string_view, 3> kProgramSuffixes = {".exe", ".com", ".bat"};

// Length of the folder part (with its backslash) that must exist for `path`
// to exist, or 0 when no such proof is safe: paths with "." components or
// forward slashes are resolved by the system in ways a plain prefix misses.
std::size_t ProvingParentLength(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos || slash < 3) return 0;
  if (path.find("\\.") != std::string_view::npos || path.find('/') != std::string_view::npos)
    return 0;
  return slash + 1;
}

}  // namespace

bool IsArgumentDelimiter(char c) {
  switch (c) {
    case ' ': case '*': case ',': case '/': case ':': case ';':
    case '<': case '>': case '?': case '|':
      return true;
    default:
      return false;
  }
}

PathChecker::PathChecker(FileSystemBackend& fs, PathExistenceMemo& memo,
                         const DriveFlags& drives, bool includeRemoveMedia)
    : m_fs(fs), m_memo(memo), m_drives(drives), m_includeRemoveMedia(includeRemoveMedia) {}

std::string PathChecker::ExpandSystemPath(const std::string& text) {
  const std::optional<std::string> expanded = m_fs.expandEnvironment(text);
  const std::string result = expanded ? Trim(*expanded) : text;
  return m_memo.FolderExists(result) ? result : text;
}

PathChecker::DriveVerdict PathChecker::DriveTest(std::string_view path,
                                                 std::string_view drives) const {
  if (path.size() < 3) return DriveVerdict::NotJudged;
  const char first = static_cast<char>(
      (path[0] >= 'A' && path[0] <= 'Z') ? path[0] + 32 : path[0]);
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
    if (candidate.back() != ';') return true;
    candidate.pop_back();
  }
  return true;
}

bool PathChecker::ParentKnownMissing(std::string_view path, std::size_t parentLength) {
  return parentLength != 0 && parentLength < path.size() &&
         m_memo.KnownMissing(path.substr(0, parentLength));
}

// Step by step from the first character. A prefix below a folder already
// known to be missing cannot exist, so it is not asked.
bool PathChecker::JudgeFromFirstCharacter(std::string_view path) {
  std::string prefix;
  prefix.reserve(path.size() + 4);
  for (const char c : path) {
    if (IsArgumentDelimiter(c)) {
      // prefix + suffix lies in the same folder as the prefix's last component.
      const std::size_t parent = ProvingParentLength(prefix);
      const bool missing =
          parent != 0 && m_memo.KnownMissing(std::string_view(prefix).substr(0, parent));
      if (!missing && WithProgramSuffixExists(prefix)) return false;
    }
    prefix += c;
    if (ParentKnownMissing(prefix, ProvingParentLength(prefix))) continue;
    if (m_memo.FileExists(prefix)) return false;
  }
  return true;
}

bool PathChecker::ReferenceIsMissing(std::string_view text, std::string_view fileName,
                                     std::string_view drives, bool acceptFolder) {
  if (text.empty()) return false;
  // Searches run on an upper-cased copy; the folding keeps byte positions
  // for valid UTF-8, and for anything else the folded copy is judged itself.
  const std::string upperText = UpperCase(text);
  const std::string_view original = upperText.size() == text.size() ? text : upperText;
  if (upperText.find("\\HP") != std::string::npos) return false;
  if (m_drives.RunsOnWow64 &&
      (upperText.find("SYSTEM32") != std::string::npos ||
       upperText.find("PROGRAMFILES") != std::string::npos ||
       upperText.find("PROGRAM FILES") != std::string::npos))
    return false;

  std::string path(original);
  if (path.front() == '"') {
    path.erase(0, 1);
    if (path.empty()) return false;
    const std::size_t quote = path.find('"');
    if (quote != std::string::npos) path.resize(quote);
  }

  if (!path.empty() && path.front() == '%') {
    const std::string rest = path.substr(1);
    if (rest.empty()) return false;
    const std::size_t close = rest.find('%');
    const std::string variable = close == std::string::npos ? rest : "%" + rest.substr(0, close + 1);
    const std::string tail = close == std::string::npos ? rest : path.substr(close + 2);
    const std::string expanded = ExpandSystemPath(variable);
    if (!expanded.empty() && expanded.front() == '%') return false;
    path = expanded + tail;
  }

  const std::string upperPath = UpperCase(path);
  if (m_drives.RunsOnWow64 && (upperPath.find("SYSTEM32") != std::string::npos ||
                               upperPath.find("PROGRAM FILES") != std::string::npos))
    return false;
  const std::string_view judged = upperPath.size() == path.size() ? std::string_view(path)
                                                                   : std::string_view(upperPath);

  if (!fileName.empty()) {
    const std::size_t at = upperPath.find(UpperCase(fileName));
    if (at == std::string::npos) return false;
    const std::string_view cut = judged.substr(0, at + fileName.size());
    switch (DriveTest(cut, drives)) {
      case DriveVerdict::NotJudged: return false;
      case DriveVerdict::Missing: return true;
      case DriveVerdict::Judge: break;
    }
    if (m_memo.FileExists(cut)) return false;
    // A name without extension (an App Paths entry "MyTool") names a program
    // whose file has one: try the program suffixes as the command line would.
    if (fileName.find('.') != std::string_view::npos) return true;
    std::string program(cut);
    return !WithProgramSuffixExists(program);
  }

  if (judged.empty()) return false;
  switch (DriveTest(judged, drives)) {
    case DriveVerdict::NotJudged: return false;
    case DriveVerdict::Missing: return true;
    case DriveVerdict::Judge: break;
  }
  if (judged.find(":\\", 3) != std::string_view::npos) return false;
  const std::size_t nameStart = judged.rfind('\\') + 1;
  const std::string_view folder = judged.substr(0, nameStart);
  const bool folderExists = m_memo.FolderExists(folder);
  if (folder.size() == judged.size() && folderExists) return false;
  if (folderExists) return JudgeInExistingFolder(judged, nameStart, acceptFolder);
  return JudgeFromFirstCharacter(judged);
}

}  // namespace hs
