#include "scan/PathExistenceMemo.h"

#include "common/Text.h"
#include "scan/ScanStop.h"

namespace hs {

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
  if (path.find_first_of("*?") != std::string_view::npos) return PathProbe::NotFound;
  const std::string& key = FoldedKey(path);
  const auto known = m_answers.find(key);
  if (known != m_answers.end()) return known->second;
  if (m_stop) m_stop->Check();
  ++m_queries;
  const PathProbe answer = m_fs.probe(std::string(path));
  m_answers.emplace(key, answer);
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
  m_answers.clear();
}

}  // namespace hs
