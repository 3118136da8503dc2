#include "settings/AtomicFile.h"

#include <memory>

namespace hs {

AtomicWriteResult WriteFileAtomically(FileSystemBackend& fs, const std::string& path,
                                      const std::string& bytes) {
  const std::string temporary = path + ".tmp";
  std::unique_ptr<FileWriter> writer;
  AtomicWriteResult result;
  result.status = fs.openForWrite(temporary, false, writer);
  if (result.status != FsStatus::Ok) return result;
  result.temporaryCreated = true;
  result.status = writer->write(bytes);
  if (result.status == FsStatus::Ok) result.status = writer->flush();
  writer.reset();  // closed before it is moved
  if (result.status == FsStatus::Ok) result.status = fs.replaceFile(temporary, path);
  if (result.status != FsStatus::Ok) fs.deleteSilently(temporary);
  return result;
}

}  // namespace hs
