#pragma once
// Existence answers of the file system, remembered for one scan so that a
// path is asked at most once per scan. Keys compare without regard to case.
// Wildcard characters are taken literally: no file name holds "*" or "?", so
// such a path is missing without asking, and so is a path whose last
// component is a DOS device name (the system would answer for the device).
#include <string>
#include <string_view>

#include "platform/FileSystemBackend.h"
#include "scan/FlatStringMap.h"

namespace hs {

class StopFlag;

class PathExistenceMemo {
 public:
  // `stop` may be null; when set, every question to the file system first
  // checks it (and throws ScanStopped).
  PathExistenceMemo(FileSystemBackend& fs, const StopFlag* stop);

  PathProbe Probe(std::string_view path);
  // Only "not found" means missing: a path the system refuses to look at
  // counts as present, as a file and as a folder.
  bool FileExists(std::string_view path);
  bool FolderExists(std::string_view path);

  // Drops every remembered answer (at the end of a scan).
  void Clear();
  std::size_t Size() const { return m_answers.Size(); }
  // How many questions reached the file system.
  std::uint64_t Queries() const { return m_queries; }
  // How many questions were asked of the memo.
  std::uint64_t Lookups() const { return m_lookups; }

 private:
  const std::string& FoldedKey(std::string_view path);

  FileSystemBackend& m_fs;
  const StopFlag* m_stop;
  FlatStringMap<PathProbe> m_answers;
  std::string m_key;  // reused so that a lookup allocates nothing
  std::uint64_t m_queries = 0;
  std::uint64_t m_lookups = 0;
};

}  // namespace hs
