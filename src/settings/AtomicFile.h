#pragma once
// Replacing a file's contents so that a failure never leaves it half written.
#include <string>

#include "platform/FileSystemBackend.h"

namespace hs {

struct AtomicWriteResult {
  FsStatus status = FsStatus::Ok;
  // False when not even the temporary file could be created (the folder is
  // not writable); the target was not touched in either case of failure.
  bool temporaryCreated = false;
};

// Writes `bytes` to `path` + ".tmp" in the same folder, flushes it and moves
// it over `path` in one step. On any failure the temporary file is removed
// and `path` keeps its old contents.
AtomicWriteResult WriteFileAtomically(FileSystemBackend& fs, const std::string& path,
                                      const std::string& bytes);

}  // namespace hs
