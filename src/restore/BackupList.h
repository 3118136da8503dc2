#pragma once
// The backup files of a folder as the restore dialog and the console list
// them: ".reg" files only, newest first.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"

namespace hs {

struct BackupFileEntry {
  std::string name;  // without folder
  std::int64_t modifiedUnixSeconds = 0;
  std::uint64_t size = 0;
};

// Every entry of `folder` that is not a folder and whose extension is ".reg"
// (any case), ordered by name descending without regard to case: backup file
// names carry their time stamp, so the newest comes first. NotFound when the
// folder does not exist.
FsStatus ListBackupFiles(FileSystemBackend& fs, const std::string& folder,
                         std::vector<BackupFileEntry>& out);

// Kilobytes rounded up, digits grouped by "," in threes, then " KB":
// 1 byte gives "1 KB", 1234567 bytes "1,206 KB".
std::string SizeText(std::uint64_t bytes);

}  // namespace hs
