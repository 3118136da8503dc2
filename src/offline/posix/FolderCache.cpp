#include "offline/posix/FolderCache.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>

#include "common/Text.h"

namespace hs {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

bool CanBeShortName(const std::string& name) {
  if (name.find('~') == std::string::npos) return false;
  const std::size_t dot = name.find('.');
  const std::size_t baseLength = dot == std::string::npos ? name.size() : dot;
  const std::size_t extensionLength = dot == std::string::npos ? 0 : name.size() - dot - 1;
  return baseLength >= 1 && baseLength <= 8 && extensionLength <= 3 &&
         name.find('.', dot == std::string::npos ? name.size() : dot + 1) == std::string::npos;
}

std::optional<std::string> FolderCache::ReadNtfsDosName(const std::string& hostPath) {
  char buffer[64];
  const ssize_t length =
      ::lgetxattr(hostPath.c_str(), "system.ntfs_dos_name", buffer, sizeof buffer);
  if (length >= 0) return std::string(buffer, static_cast<std::size_t>(length));
  if (errno == ENODATA) return std::string();  // ntfs-3g: this name has no short form
  return std::nullopt;
}

std::shared_ptr<FolderCache::Folder> FolderCache::folder(const std::string& hostFolder,
                                                         bool revalidate) {
  if (!revalidate) {
    const std::lock_guard lock(m_mutex);
    const auto it = m_folders.find(hostFolder);
    if (it != m_folders.end()) return it->second;
  }
  auto read = std::make_shared<Folder>();
  struct stat status {};
  if (::stat(hostFolder.c_str(), &status) != 0) {
    read->error = errno;
    return read;
  }
  read->inode = status.st_ino;
  read->changed = status.st_mtim;
  {
    // A folder changes its time when a name in it comes or goes.
    const std::lock_guard lock(m_mutex);
    const auto it = m_folders.find(hostFolder);
    if (it != m_folders.end() && it->second->inode == read->inode &&
        it->second->changed.tv_sec == read->changed.tv_sec &&
        it->second->changed.tv_nsec == read->changed.tv_nsec)
      return it->second;
  }
  std::unique_ptr<DIR, DirCloser> dir(::opendir(hostFolder.c_str()));
  if (!dir) {
    read->error = errno;
    return read;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    read->byUpperName[UpperCase(name)].push_back(read->names.size());
    read->names.push_back(name);
    read->types.push_back(entry->d_type);
  }
  if (errno != 0) {
    read->error = errno;
    return read;
  }
  const std::lock_guard lock(m_mutex);
  m_folders[hostFolder] = read;
  return read;
}

void FolderCache::readDosNames(const std::string& hostFolder, Folder& folder) {
  // Called under m_mutex: a folder's short names are read once.
  folder.dosNamesRead = true;
  folder.dosNamesComplete = true;
  for (std::size_t i = 0; i < folder.names.size(); ++i) {
    const auto dosName = m_readDosName(hostFolder + "/" + folder.names[i]);
    if (!dosName) {
      folder.dosNamesComplete = false;
    } else if (!dosName->empty()) {
      folder.byUpperDosName.emplace(UpperCase(*dosName), i);
    }
  }
}

FolderCache::Match FolderCache::list(const std::string& hostFolder,
                                     std::vector<std::string>& names) {
  names.clear();
  const std::shared_ptr<Folder> read = folder(hostFolder, true);
  if (read->error == ENOENT) return Match::NotFound;
  if (read->error == ENOTDIR) return Match::NotAFolder;
  if (read->error != 0) return Match::Inaccessible;
  names = read->names;
  return Match::Found;
}

FolderCache::Match FolderCache::find(const std::string& hostFolder, const std::string& wanted,
                                     std::string& name, unsigned char& type) {
  name.clear();
  type = DT_UNKNOWN;
  const std::string upper = UpperCase(wanted);
  std::shared_ptr<Folder> read = folder(hostFolder, false);
  for (int look = 0; look < 2; ++look) {
    if (read->error == ENOENT) return Match::NotFound;
    if (read->error == ENOTDIR) return Match::NotAFolder;
    if (read->error != 0) return Match::Inaccessible;
    if (const auto it = read->byUpperName.find(upper); it != read->byUpperName.end()) {
      // Two names that differ only in case (a case-sensitive folder): the
      // exact spelling wins, else the first one listed.
      std::size_t chosen = it->second.front();
      for (const std::size_t index : it->second)
        if (read->names[index] == wanted) chosen = index;
      name = read->names[chosen];
      type = read->types[chosen];
      return Match::Found;
    }
    if (look == 0) {
      // Missing from the kept listing: look again if the folder changed.
      const std::shared_ptr<Folder> current = folder(hostFolder, true);
      if (current == read) break;
      read = current;
    }
  }
  if (!CanBeShortName(wanted)) return Match::NotFound;
  const std::lock_guard lock(m_mutex);
  if (!read->dosNamesRead) readDosNames(hostFolder, *read);
  if (const auto it = read->byUpperDosName.find(upper); it != read->byUpperDosName.end()) {
    name = read->names[it->second];
    type = read->types[it->second];
    return Match::Found;
  }
  // A short name that could not be read may be this one.
  return read->dosNamesComplete ? Match::NotFound : Match::Inaccessible;
}

}  // namespace hs
