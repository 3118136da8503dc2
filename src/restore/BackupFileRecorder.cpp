#include "restore/BackupFileRecorder.h"

namespace hs {

void BackupFileRecorder::appended(const std::string& file, bool created, std::uint64_t offset,
                                  std::string_view bytes, std::uint64_t written) {
  if (created) {
    m_file = file;
    m_hash = Sha256();
    m_following = true;
  } else if (!m_following || file != m_file || offset != m_hash.length()) {
    m_following = false;  // bytes we did not see lie before these
  }
  if (bytes.size() != written) m_following = false;
  if (m_following) m_hash.update(bytes);
}

void BackupFileRecorder::stopAtUnverified() {
  if (m_following)
    m_problem =
        "an item of the backup file did not read back as written; the file is recorded "
        "only up to the items before it";
  m_following = false;
}

bool BackupFileRecorder::record() {
  if (!m_following) {
    if (m_problem.empty())
      m_problem = "the backup file held bytes this program did not write; it is not recorded";
    return false;
  }
  if (m_recordFailed) return false;  // no rights now means no rights for the rest of the run
  if (m_record.record(m_file, {m_hash.length(), m_hash.digest()})) return true;
  m_recordFailed = true;
  m_problem = "the backup file could not be recorded (administrator rights are needed)";
  return false;
}

}  // namespace hs
