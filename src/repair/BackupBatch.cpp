#include "repair/BackupBatch.h"

#include <algorithm>
#include <span>

#include "common/Text.h"
#include "regfile/RegFileReader.h"
#include "regfile/RegFileWriter.h"

namespace hs {
namespace {

// Root and key path without regard to case, as the registry compares them.
std::string KeyId(RootKey root, std::string_view keyPath) {
  return std::to_string(static_cast<int>(root)) + ":" + UpperCase(keyPath);
}

// The key itself, then each key above it up to the root.
template <typename Visit>
bool AnyKeyAtOrAbove(const std::string& keyId, Visit visit) {
  const std::size_t rootEnd = keyId.find(':') + 1;
  for (std::size_t end = keyId.size();;) {
    if (visit(keyId.substr(0, end))) return true;
    const std::size_t slash = keyId.rfind('\\', end - 1);
    if (end <= rootEnd || slash == std::string::npos || slash < rootEnd) return false;
    end = slash;
  }
}

std::string ValueId(const BackupItem& item) {
  return KeyId(item.root, item.keyPath) + "\n" + UpperCase(item.valueName);
}

}  // namespace

bool BatchFootprint::Overlaps(const BackupItem& item) const {
  const std::string key = KeyId(item.root, item.keyPath);
  if (AnyKeyAtOrAbove(key, [&](const std::string& id) { return m_trees.count(id) != 0; }))
    return true;
  if (item.wholeKey) return m_keysAndAbove.count(key) != 0;
  return m_values.count(ValueId(item)) != 0;
}

void BatchFootprint::Add(const BackupItem& item) {
  const std::string key = KeyId(item.root, item.keyPath);
  if (item.wholeKey)
    m_trees.insert(key);
  else
    m_values.insert(ValueId(item));
  AnyKeyAtOrAbove(key, [&](const std::string& id) { return !m_keysAndAbove.insert(id).second; });
}

void BatchFootprint::Clear() {
  m_trees.clear();
  m_keysAndAbove.clear();
  m_values.clear();
}

BatchCheck WriteAndVerify(FileSystemBackend& fs, const std::string& fileName,
                          std::uint64_t fileSize, const std::vector<const BackupItem*>& items,
                          BackupFileRecorder& recorder) {
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
  recorder.appended(fileName, written.created, start, readBack, written.bytesWritten);
  if (!written.created) readBack.insert(0, "REGEDIT4\r\n");
  RegFile file;
  RegFileError error;
  if (!ParseRegFile(readBack, fs.ansiCodePage(), file, error)) {
    check.differences.assign(
        items.size(), "the backup read back is not a valid registry file (" + error.message + ")");
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
      check.differences.push_back("the backup read back differs from the registry: " + difference);
    else
      check.differences.emplace_back();
    next += count;
  }
  if (next != all.size() && !check.differences.empty() && check.differences.back().empty())
    check.differences.back() = "the backup read back holds more keys than were written";
  return check;
}

}  // namespace hs
