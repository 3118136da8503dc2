#include "restore/BackupDeletion.h"

#include "common/Text.h"

namespace hs {
namespace {

bool HasDotDotComponent(const std::string& path) {
  std::string normalized = path;
  for (char& c : normalized)
    if (c == '/') c = '\\';
  for (const std::string& part : Split(normalized, '\\'))
    if (Trim(part) == "..") return true;
  return false;
}

std::string WithoutTrailingSeparator(std::string path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

}  // namespace

std::string WhyNotDeletable(FileSystemBackend& fs, const std::string& file,
                            const std::string& backupFolder) {
  if (backupFolder.empty()) return "no backup folder is set";
  if (HasDotDotComponent(file)) return "its path holds \"..\"";
  bool link = true;
  if (fs.isLink(file, link) != FsStatus::Ok || link) return "it is a link or cannot be checked";
  std::string resolvedFile, resolvedFolder;
  if (fs.resolvePath(file, resolvedFile) != FsStatus::Ok) return "its location cannot be resolved";
  const std::size_t slash = resolvedFile.find_last_of('\\');
  const std::string parent =
      slash == std::string::npos ? std::string() : resolvedFile.substr(0, slash);
  if (fs.resolvePath(backupFolder, resolvedFolder) != FsStatus::Ok ||
      !EqualsNoCase(WithoutTrailingSeparator(parent), WithoutTrailingSeparator(resolvedFolder)))
    return "it is not in the backup folder " + backupFolder;
  return {};
}

}  // namespace hs
