#pragma once
// Follows one file this program writes for restoring and records it as it
// grows: fed with the bytes of each write as they lie in the file, it hashes
// only what is new, and `record` stores length and digest of all so far.
// It records only a file it saw created and whose every byte it was fed: a
// file that existed before, or that someone else wrote to in between, is
// never vouched for.
#include <string>
#include <string_view>

#include "common/Sha256.h"
#include "restore/BackupRecord.h"

namespace hs {

class BackupFileRecorder {
 public:
  BackupFileRecorder(RegistryBackend& registry, FileSystemBackend& fs) : m_record(registry, fs) {}

  // One write of `written` bytes at `offset` of `file` (`created` when it
  // made the file); `bytes` are what the file holds from `offset` on, read
  // back. More bytes than written means someone else wrote too.
  void appended(const std::string& file, bool created, std::uint64_t offset, std::string_view bytes,
                std::uint64_t written);
  // Records the file as fed so far. False, with problem(), when it is not.
  bool record();
  // The bytes fed since the last record were not all verified: the record
  // keeps vouching for what it held and stops following the file.
  void stopAtUnverified();
  // Why the file is not recorded; "" while every record succeeded.
  const std::string& problem() const { return m_problem; }

 private:
  BackupRecord m_record;
  std::string m_file;
  Sha256 m_hash;
  bool m_following = false;
  bool m_recordFailed = false;
  std::string m_problem;
};

}  // namespace hs
