#include "restore/RecycledFiles.h"

#include "common/Text.h"

namespace hs {
namespace {

constexpr const char* kHeading =
    "\xEF\xBB\xBF"
    "Shortcut files this repair moved to the Recycle Bin (restore them from there):\r\n";

bool IsFullWindowsPath(const std::string& line) {
  const bool drive = line.size() > 3 && line[1] == ':' && line[2] == '\\' &&
                     ((line[0] >= 'A' && line[0] <= 'Z') || (line[0] >= 'a' && line[0] <= 'z'));
  const bool share = line.size() > 4 && line.rfind("\\\\", 0) == 0;
  return (drive || share) && line.find('\0') == std::string::npos;
}

}  // namespace

std::string RecycledFilesNoteFor(const std::string& backupFile) {
  std::string base = backupFile;
  if (EndsWithNoCase(base, ".reg")) base.resize(base.size() - 4);
  return base + ".files.txt";
}

bool NoteRecycledFile(FileSystemBackend& fs, const std::string& note, const std::string& path) {
  const bool created = fs.probe(note) != PathProbe::File;
  std::unique_ptr<FileWriter> writer;
  if (fs.openForWrite(note, !created, writer) != FsStatus::Ok) return false;
  const std::string bytes = (created ? std::string(kHeading) : std::string()) + path + "\r\n";
  return writer->write(bytes) == FsStatus::Ok && writer->flush() == FsStatus::Ok;
}

std::vector<std::string> ReadRecycledFilesNote(FileSystemBackend& fs, const std::string& note) {
  std::vector<std::string> paths;
  std::string bytes;
  if (fs.readFile(note, bytes) != FsStatus::Ok) return paths;
  for (std::string line : Split(bytes, '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (IsFullWindowsPath(line)) paths.push_back(line);
  }
  return paths;
}

std::vector<std::string> RecycledFilesLines(const std::vector<std::string>& recycled,
                                            const std::vector<std::string>& away) {
  if (recycled.empty()) return {};
  if (away.empty())
    return {recycled.size() == 1
                ? "The shortcut file this repair moved to the Recycle Bin is in its place again."
                : "The " + std::to_string(recycled.size()) +
                      " shortcut files this repair moved to the Recycle Bin are in their places "
                      "again."};
  std::vector<std::string> lines{
      std::to_string(away.size()) + " of the " + std::to_string(recycled.size()) +
      " shortcut files this repair moved to the Recycle Bin " + (away.size() == 1 ? "is" : "are") +
      " still there; restore from the Recycle Bin:"};
  for (const std::string& path : away) lines.push_back("  " + path);
  return lines;
}

}  // namespace hs
