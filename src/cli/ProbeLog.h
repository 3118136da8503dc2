#pragma once
// The benchmark's yardstick for file-system cost: the paths a scan asked the
// file system about, recorded as it asks them, and asked again on their own.
// A scan asks each path once (the existence memo), so the record is the set
// of distinct questions, and replaying it costs what the questions alone cost.
#include <string>
#include <vector>

#include "platform/ForwardingFileSystem.h"

namespace hs {

// Passes every call on to `inner` and keeps the path of each probe, in order.
class ProbeRecorder : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;

  const std::vector<std::string>& Paths() const { return m_paths; }

  PathProbe probe(const std::string& path) override;

 private:
  std::vector<std::string> m_paths;
};

// The record as bytes: each path followed by a NUL (a registry string may
// hold a line break, never a NUL once it reaches a probe).
std::string ProbeLogBytes(const std::vector<std::string>& paths);
// The paths of a record; an unterminated last piece is kept too.
std::vector<std::string> ParseProbeLog(const std::string& bytes);

// Asks the file system about each path once more; how many were found.
std::size_t ReplayProbes(FileSystemBackend& files, const std::vector<std::string>& paths);

}  // namespace hs
