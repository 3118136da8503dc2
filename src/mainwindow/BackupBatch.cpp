#include "mainwindow/BackupBatch.h"

#include <algorithm>
#include <span>

#include "common/Text.h"
#include "regfile/RegFileReader.h"
#include "regfile/RegFileWriter.h"

namespace hs {
namespace {

// `path` is `tree` or lies below it; key names compare without case.
bool WithinTree(const std::string& path, const std::string& tree) {
  if (path.size() < tree.size() || !StartsWithNoCase(path, tree)) return false;
  return path.size() == tree.size() || path[tree.size()] == '\\';
}

}  // namespace

bool ItemsOverlap(const BackupItem& a, const BackupItem& b) {
  if (a.root != b.root) return false;
  if (a.wholeKey && WithinTree(b.keyPath, a.keyPath)) return true;
  if (b.wholeKey && WithinTree(a.keyPath, b.keyPath)) return true;
  return !a.wholeKey && !b.wholeKey && EqualsNoCase(a.keyPath, b.keyPath) &&
         EqualsNoCase(a.valueName, b.valueName);
}

BatchCheck WriteAndVerify(FileSystemBackend& fs, const std::string& fileName,
                          std::uint64_t fileSize, const std::vector<const BackupItem*>& items) {
  std::string sections;
  for (const BackupItem* item : items) sections += item->sections;
  const ExportResult written = AppendToBackup(fs, fileName, sections);
  BatchCheck check;
  check.created = written.created;
  const std::uint64_t start = written.created ? 0 : fileSize;
  check.fileSize = start + written.bytesWritten;

  std::string readBack;
  if (fs.readFileFrom(fileName, start, readBack) != FsStatus::Ok)
    throw BackupWriteError("Reading back the backup file " + fileName + " failed");
  if (!written.created) readBack.insert(0, "REGEDIT4\r\n");
  RegFile file;
  RegFileError error;
  if (!ParseRegFile(readBack, file, error)) {
    check.differences.assign(items.size(), "the backup read back is not a valid registry file (" +
                                               error.message + ")");
    return check;
  }
  // Each item owns as many sections as its snapshot has keys, in order.
  const std::span<const RegFileSection> all(file.sections);
  std::size_t next = 0;
  for (const BackupItem* item : items) {
    const std::size_t count = item->snapshot.size();
    const std::size_t first = std::min(next, all.size());
    std::string difference;
    if (!SectionsMatch(all.subspan(first, std::min(count, all.size() - first)), item->root,
                       item->snapshot, difference))
      check.differences.push_back("the backup read back differs from the registry: " +
                                  difference);
    else
      check.differences.emplace_back();
    next += count;
  }
  if (next != all.size() && !check.differences.empty() && check.differences.back().empty())
    check.differences.back() = "the backup read back holds more keys than were written";
  return check;
}

}  // namespace hs
