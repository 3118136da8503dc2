#include "restore/PrivateTempFile.h"

#include <utility>

namespace hs {

bool PrivateTempFile::write(const std::string& bytes) {
  remove();
  std::unique_ptr<FileWriter> writer;
  if (m_fs.createPrivateTempFile(m_path, writer) != FsStatus::Ok) return false;
  const bool written = writer->write(bytes) == FsStatus::Ok && writer->flush() == FsStatus::Ok;
  writer.reset();  // closed before anyone else opens it
  if (!written) remove();
  return written;
}

void PrivateTempFile::remove() {
  if (!m_path.empty()) m_fs.deleteSilently(m_path);
  m_path.clear();
}

std::string PrivateTempFile::leave() {
  return std::exchange(m_path, {});
}

}  // namespace hs
