#include "restore/BackupList.h"

#include <algorithm>

#include "common/Text.h"

namespace hs {

FsStatus ListBackupFiles(FileSystemBackend& fs, const std::string& folder,
                         std::vector<BackupFileEntry>& out) {
  out.clear();
  std::vector<DirEntry> entries;
  const FsStatus status = fs.listDirectory(folder, entries);
  if (status != FsStatus::Ok) return status;
  for (const DirEntry& entry : entries)
    if (!entry.isFolder && entry.name.size() > 4 && EndsWithNoCase(entry.name, ".reg"))
      out.push_back({entry.name, entry.modifiedUnixSeconds, entry.size});
  std::stable_sort(out.begin(), out.end(), [](const BackupFileEntry& a, const BackupFileEntry& b) {
    return CompareNoCase(a.name, b.name) > 0;
  });
  return FsStatus::Ok;
}

std::string SizeText(std::uint64_t bytes) {
  const std::string digits = std::to_string(bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0));
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped + " KB";
}

}  // namespace hs
