#include "scan/PathExistenceMemo.h"

#include "common/Text.h"
#include "scan/ScanStop.h"

namespace hs {
namespace {

// Plain loops: the scan asks this for every prefix of every path it walks,
// and the library's character-set searches call a function per character.
bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool HasWildcard(std::string_view path) {
  for (const char c : path)
    if (c == '*' || c == '?') return true;
  return false;
}

// Whether the last component names a DOS device (CON, NUL, COM1...): the
// system answers for the device, so "C:\\Program Files\\Con" would "exist"
// while a program folder named "Contoso" is being looked for. A device is
// never a file or folder on disk.
bool NamesDevice(std::string_view path) {
  while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
  std::size_t start = path.size();
  while (start > 0 && !IsSeparator(path[start - 1])) --start;
  std::string_view name = path.substr(start);
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  if (name.size() != 3 && name.size() != 4) return false;
  char upper[4] = {};
  for (std::size_t i = 0; i < name.size(); ++i)
    upper[i] = (name[i] >= 'a' && name[i] <= 'z') ? static_cast<char>(name[i] - 32) : name[i];
  const std::string_view folded(upper, name.size());
  if (folded == "CON" || folded == "PRN" || folded == "AUX" || folded == "NUL") return true;
  return name.size() == 4 && (folded.substr(0, 3) == "COM" || folded.substr(0, 3) == "LPT") &&
         folded[3] >= '1' && folded[3] <= '9';
}

}  // namespace

PathExistenceMemo::PathExistenceMemo(FileSystemBackend& fs, const StopFlag* stop)
    : m_fs(fs), m_stop(stop) {}

const std::string& PathExistenceMemo::FoldedKey(std::string_view path) {
  m_key.assign(path);
  bool ascii = true;
  for (char& c : m_key) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  if (!ascii) m_key = UpperCase(path);
  return m_key;
}

PathProbe PathExistenceMemo::Probe(std::string_view path) {
  ++m_lookups;
  if (HasWildcard(path) || NamesDevice(path)) return PathProbe::NotFound;
  const std::string& key = FoldedKey(path);
  if (const PathProbe* known = m_answers.Find(key)) return *known;
  if (m_stop) m_stop->Check();
  ++m_queries;
  const PathProbe answer = m_fs.probe(std::string(path));
  m_answers.Insert(key, answer);
  return answer;
}

bool PathExistenceMemo::FileExists(std::string_view path) {
  const PathProbe answer = Probe(path);
  return answer == PathProbe::File || answer == PathProbe::Inaccessible;
}

bool PathExistenceMemo::FolderExists(std::string_view path) {
  const PathProbe answer = Probe(path);
  return answer == PathProbe::Folder || answer == PathProbe::Inaccessible;
}

void PathExistenceMemo::Clear() {
  m_answers.Clear();
}

}  // namespace hs
