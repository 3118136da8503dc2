#include "cli/ProbeLog.h"

namespace hs {

PathProbe ProbeRecorder::probe(const std::string& path) {
  m_paths.push_back(path);
  return inner().probe(path);
}

std::string ProbeLogBytes(const std::vector<std::string>& paths) {
  std::string bytes;
  for (const std::string& path : paths) {
    bytes += path;
    bytes += '\0';
  }
  return bytes;
}

std::vector<std::string> ParseProbeLog(const std::string& bytes) {
  std::vector<std::string> paths;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
    paths.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  return paths;
}

std::size_t ReplayProbes(FileSystemBackend& files, const std::vector<std::string>& paths) {
  std::size_t found = 0;
  for (const std::string& path : paths)
    if (files.probe(path) != PathProbe::NotFound) ++found;
  return found;
}

}  // namespace hs
