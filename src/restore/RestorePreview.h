#pragma once
// What a restore of a file would do, as the restore dialog asks before it
// starts and as the console lists it: the file's name, whether it may be
// imported as it is, and what it would add.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "restore/BackupRecord.h"

namespace hs {

struct RestorePreview {
  std::string fileName;  // without folder
  std::string refusal;   // why it cannot be imported even on request; "" when it can
  ProvenanceCheck provenance;
  bool cutOff = false;             // ends in an incomplete line, left out on import
  std::size_t keyCount = 0;        // distinct keys it writes
  std::size_t valueCount = 0;      // value lines
  std::vector<std::string> hives;  // the hives of those keys, in the file's order
};

RestorePreview PreviewRestore(FileSystemBackend& fs, RegistryBackend& registry,
                              const std::string& file);

}  // namespace hs
