#include "offline/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>

#include "common/Text.h"
#include "offline/posix/ReparsePoint.h"
#include "offline/posix/UniqueFd.h"
#include "platform/ExpandVariables.h"
#include "platform/ShellLinkFile.h"

namespace hs {
namespace {

constexpr int kMaxLinks = 32;  // links followed in one path, as the system limits them
constexpr std::size_t kMaxShortcutBytes = 1 << 20;

// Why the last call on this thread failed, for lastErrorText.
thread_local std::string t_lastError;

FsStatus Failed(FsStatus status, const std::string& why) {
  t_lastError = why;
  return status;
}

FsStatus FromErrno(int error) {
  t_lastError = std::strerror(error);
  if (error == ENOENT || error == ENOTDIR) return FsStatus::NotFound;
  if (error == EACCES || error == EPERM || error == EISDIR) return FsStatus::AccessDenied;
  return FsStatus::Failed;
}

std::string HostJoin(const std::string& root, const std::vector<std::string>& names) {
  std::string path = root;
  for (const std::string& name : names) path += "/" + name;
  return path;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

PathProbe ProbeOfMode(mode_t mode) {
  return S_ISDIR(mode) ? PathProbe::Folder : PathProbe::File;
}

// The Windows target of a link on an ntfs-3g volume.
std::optional<ReparseTarget> ReadReparseTarget(const std::string& hostPath) {
  const auto data = ReadNtfsReparseData(hostPath);
  return data ? ParseReparseData(*data) : std::nullopt;
}

}  // namespace

PosixFileSystem::PosixFileSystem(OfflineVolume volume) : m_volume(std::move(volume)) {
  if (!m_volume.ansiCodePage) m_volume.ansiCodePage = std::make_shared<Windows1252CodePage>();
  std::map<char, std::string> drives;
  // Canonical folders: ntfs-3g writes link targets below the real mount point.
  for (const auto& [letter, folder] : m_volume.drives) {
    char canonical[PATH_MAX];
    drives[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] =
        ::realpath(folder.c_str(), canonical) ? std::string(canonical)
                                              : WithoutTrailingSlashes(folder);
  }
  m_volume.drives = std::move(drives);
}

// An absolute link target leads onto the volume only inside a mapped drive's
// folder; ntfs-3g shows a junction to another drive as
// "<mount>/.NTFS-3G/D:/...". `target` keeps the rest, `letter` and `root`
// take the drive it lies on.
bool PosixFileSystem::onMappedDrive(std::string& target, char& letter, std::string& root) const {
  const auto inside = [](const std::string& path, const std::string& folder) {
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
            path[folder.size()] == '/');
  };
  const auto drive = std::find_if(m_volume.drives.begin(), m_volume.drives.end(),
                                  [&](const auto& entry) { return inside(target, entry.second); });
  if (drive == m_volume.drives.end()) return false;
  std::string rest = target.substr(drive->second.size());
  letter = drive->first;
  root = drive->second;
  const std::string marker = "/.NTFS-3G/";
  if (rest.compare(0, marker.size(), marker) == 0 && rest.size() >= marker.size() + 2 &&
      rest[marker.size() + 1] == ':' &&
      (rest.size() == marker.size() + 2 || rest[marker.size() + 2] == '/')) {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[marker.size()])));
    const auto other = m_volume.drives.find(letter);
    if (other == m_volume.drives.end()) return false;
    root = other->second;
    rest.erase(0, marker.size() + 2);
  }
  target = rest;
  return true;
}

PosixFileSystem::Located PosixFileSystem::locate(const std::string& path, bool followLast) {
  // Only a plain relative name ("App.exe", "Tools\x") is taken from the
  // current folder; "C:x" and "\x" depend on more than one.
  const bool plainRelative =
      !path.empty() && path[0] != '\\' && path[0] != '/' && (path.size() < 2 || path[1] != ':');
  if (plainRelative && !m_volume.currentFolder.empty())
    return locateParsed(ParseWindowsPath(m_volume.currentFolder + "\\" + path), followLast);
  return locateParsed(ParseWindowsPath(path), followLast);
}

// Walks the names one by one through the folder cache. A symbolic link's
// target is walked by the same rules from the link's folder (or, when
// absolute, from the drive's host folder it must lie in).
PosixFileSystem::Located PosixFileSystem::locateParsed(const WindowsPath& path, bool followLast) {
  Located found;
  if (path.kind == WindowsPath::Kind::Missing) return found;
  found.state = PathProbe::Inaccessible;
  const auto drive = m_volume.drives.find(path.letter);
  if (path.kind != WindowsPath::Kind::Drive || drive == m_volume.drives.end()) return found;
  char letter = path.letter;
  std::string root = drive->second;
  std::deque<std::string> pending(path.names.begin(), path.names.end());
  std::vector<std::string> done;
  int links = 0;
  struct stat status {};
  while (!pending.empty()) {
    const std::string wanted = pending.front();
    pending.pop_front();
    if (wanted.empty() || wanted == ".") continue;
    if (wanted == "..") {
      if (done.empty()) return found;  // a link that leads above its drive
      done.pop_back();
      continue;
    }
    const std::string folder = HostJoin(root, done);
    std::string name;
    unsigned char type = DT_UNKNOWN;
    switch (m_folders.find(folder, wanted, name, type)) {
      case FolderCache::Match::Found:
        break;
      case FolderCache::Match::Inaccessible:
        return found;
      default:
        found.state = PathProbe::NotFound;
        return found;
    }
    // A listed folder or file needs no look of its own: the final one below
    // (or the listing of the next folder) finds out if it went away.
    if (type == DT_DIR || (type == DT_REG && pending.empty())) {
      done.push_back(name);
      continue;
    }
    if (type == DT_REG) {
      found.state = PathProbe::NotFound;  // a file is no folder
      return found;
    }
    const std::string item = folder + "/" + name;
    if (::lstat(item.c_str(), &status) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) found.state = PathProbe::NotFound;
      return found;
    }
    if (S_ISLNK(status.st_mode) && (!pending.empty() || followLast)) {
      char target[4096];
      const ssize_t length = ::readlink(item.c_str(), target, sizeof target);
      if (++links > kMaxLinks || length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
        return found;
      std::vector<std::string> parts;
      if (const auto windows = ReadReparseTarget(item)) {
        // The target as Windows wrote it, drive letter and all.
        parts = Split(windows->path, '\\');
        if (!windows->relative) {
          const WindowsPath absolute = ParseWindowsPath(windows->path);
          const auto drive = m_volume.drives.find(absolute.letter);
          if (absolute.kind != WindowsPath::Kind::Drive || drive == m_volume.drives.end())
            return found;
          letter = absolute.letter;
          root = drive->second;
          parts = absolute.names;
          done.clear();
        }
      } else {
        std::string text(target, static_cast<std::size_t>(length));
        if (text.front() == '/') {
          if (!onMappedDrive(text, letter, root)) return found;
          done.clear();
        }
        parts = Split(text, '/');
      }
      pending.insert(pending.begin(), parts.begin(), parts.end());
      continue;
    }
    done.push_back(name);
    if (!pending.empty() && !S_ISDIR(status.st_mode) && !S_ISLNK(status.st_mode)) {
      found.state = PathProbe::NotFound;  // a file is no folder
      return found;
    }
  }
  found.hostPath = HostJoin(root, done);
  // The drive's own folder may be reached through a link of the host.
  const int result =
      done.empty() ? ::stat(root.c_str(), &status) : ::lstat(found.hostPath.c_str(), &status);
  if (result != 0) {
    if (!done.empty() && (errno == ENOENT || errno == ENOTDIR)) found.state = PathProbe::NotFound;
    return found;
  }
  found.windowsPath = JoinWindowsPath(letter, done);
  if (S_ISLNK(status.st_mode)) {
    // The link itself was asked for: it is there, of the kind it leads to.
    found.isLink = true;
    const Located target = locateParsed(path, true);
    found.state = target.state == PathProbe::NotFound ? PathProbe::Inaccessible : target.state;
  } else {
    found.state = ProbeOfMode(status.st_mode);
  }
  if (path.endsWithSeparator && found.state == PathProbe::File) found.state = PathProbe::NotFound;
  return found;
}

PathProbe PosixFileSystem::probe(const std::string& path) {
  // As GetFileAttributes answers: a link is there even when what it leads to
  // is not.
  return locate(path, false).state;
}

DriveType PosixFileSystem::driveType(char letter) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  return m_volume.drives.count(upper) ? DriveType::Fixed : DriveType::NoRootDir;
}

bool PosixFileSystem::volumeReady(const std::string& root) {
  const WindowsPath parsed = ParseWindowsPath(root);
  if (parsed.kind != WindowsPath::Kind::Drive) return false;
  const auto drive = m_volume.drives.find(parsed.letter);
  if (drive == m_volume.drives.end()) return false;
  std::vector<std::string> names;
  return m_folders.list(drive->second, names) == FolderCache::Match::Found;
}

std::optional<std::string> PosixFileSystem::expandEnvironment(const std::string& text) {
  return ExpandVariables(text, [this](const std::string& name) -> std::optional<std::string> {
    const auto it = m_volume.environment.find(name);
    if (it == m_volume.environment.end()) return std::nullopt;
    return it->second;
  });
}

std::string PosixFileSystem::specialFolder(int csidl) {
  const auto it = m_volume.specialFolders.find(csidl);
  return it == m_volume.specialFolders.end() ? std::string() : it->second;
}

FsStatus PosixFileSystem::listDirectory(const std::string& folder, std::vector<DirEntry>& out) {
  out.clear();
  t_lastError.clear();
  const Located located = locate(folder);
  if (located.state == PathProbe::Inaccessible)
    return Failed(FsStatus::AccessDenied, "the folder cannot be reached on the mounted volume");
  if (located.state != PathProbe::Folder) return FsStatus::NotFound;
  std::vector<std::string> names;
  if (m_folders.list(located.hostPath, names) != FolderCache::Match::Found)
    return Failed(FsStatus::AccessDenied, "the folder cannot be read");
  for (const std::string& name : names) {
    struct stat status {};
    if (::lstat((located.hostPath + "/" + name).c_str(), &status) != 0) continue;  // gone
    DirEntry entry;
    entry.name = name;
    entry.size = S_ISREG(status.st_mode) ? static_cast<std::uint64_t>(status.st_size) : 0;
    entry.modifiedUnixSeconds = static_cast<std::int64_t>(status.st_mtime);
    entry.isLink = S_ISLNK(status.st_mode);
    entry.isFolder = entry.isLink
                         ? locate(located.windowsPath + "\\" + name).state == PathProbe::Folder
                         : S_ISDIR(status.st_mode);
    out.push_back(std::move(entry));
  }
  return FsStatus::Ok;
}

ShortcutTarget PosixFileSystem::readShortcut(const std::string& path) {
  const Located located = locate(path);
  std::string bytes;
  if (located.state != PathProbe::File || readFileFrom(path, 0, bytes) != FsStatus::Ok ||
      bytes.size() > kMaxShortcutBytes)
    return {};
  ShellLinkFile link;
  if (!ReadShellLinkFile(bytes, ansiCodePage(), link)) return {};
  const std::size_t slash = located.windowsPath.rfind('\\');
  const std::string folder = located.windowsPath.substr(0, slash == 2 ? 3 : slash);
  ShortcutTarget target;
  target.readable = true;
  target.path = ShellLinkTargetPath(link, folder, [this](const std::string& text) {
    return expandEnvironment(text).value_or(text);
  });
  return target;
}

FsStatus PosixFileSystem::readFile(const std::string& path, std::string& out) {
  return readFileFrom(path, 0, out);
}

FsStatus PosixFileSystem::readFileFrom(const std::string& path, std::uint64_t offset,
                                       std::string& out) {
  out.clear();
  t_lastError.clear();
  const Located located = locate(path);
  if (located.state == PathProbe::NotFound) return FsStatus::NotFound;
  if (located.state != PathProbe::File)
    return Failed(FsStatus::AccessDenied, located.state == PathProbe::Folder
                                              ? "a folder is not a file"
                                              : "the file cannot be reached on the mounted volume");
  const UniqueFd file(::open(located.hostPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (file.get() < 0) return FromErrno(errno);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return FromErrno(errno);
  const auto size = static_cast<std::uint64_t>(status.st_size);
  if (offset >= size) return FsStatus::Ok;
  if (size - offset > out.max_size() / 2) return Failed(FsStatus::Failed, "the file is too large");
  std::string content(static_cast<std::size_t>(size - offset), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t got = ::pread(file.get(), content.data() + done, content.size() - done,
                                static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return FromErrno(errno);
    if (got == 0) break;  // shorter than it was a moment ago
    done += static_cast<std::size_t>(got);
  }
  content.resize(done);
  out = std::move(content);
  return FsStatus::Ok;
}

FsStatus PosixFileSystem::refuseWrite() {
  return Failed(FsStatus::AccessDenied,
                "The offline volume is only read: nothing is written to it.");
}

FsStatus PosixFileSystem::hostPathForWrite(const std::string& path, std::string& host) {
  t_lastError.clear();
  if (!m_volume.writable) return refuseWrite();
  const Located located = locate(path, false);
  if (located.state == PathProbe::File && !located.isLink) {
    host = located.hostPath;
    return FsStatus::Ok;
  }
  if (located.state != PathProbe::NotFound)
    return Failed(FsStatus::AccessDenied, located.state == PathProbe::Folder
                                              ? "a folder is there"
                                              : "the path cannot be reached on the mounted volume");
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos || slash + 1 == path.size()) return FsStatus::NotFound;
  const Located folder = locate(path.substr(0, slash == 2 ? 3 : slash));
  if (folder.state != PathProbe::Folder) return FsStatus::NotFound;
  host = folder.hostPath + "/" + path.substr(slash + 1);
  return FsStatus::Ok;
}

namespace {

class PosixFileWriter final : public FileWriter {
 public:
  explicit PosixFileWriter(int fd) : m_file(fd) {}
  FsStatus write(const std::string& bytes) override {
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t put = ::write(m_file.get(), bytes.data() + done, bytes.size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0)
        return errno == ENOSPC ? Failed(FsStatus::DiskFull, std::strerror(errno))
                               : FromErrno(errno);
      done += static_cast<std::size_t>(put);
    }
    return FsStatus::Ok;
  }
  FsStatus flush() override { return ::fsync(m_file.get()) == 0 ? FsStatus::Ok : FromErrno(errno); }

 private:
  UniqueFd m_file;
};

FsStatus OpenWriter(const std::string& host, int flags, std::unique_ptr<FileWriter>& out) {
  const int fd = ::open(host.c_str(), flags | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return FromErrno(errno);
  out = std::make_unique<PosixFileWriter>(fd);
  return FsStatus::Ok;
}

}  // namespace

FsStatus PosixFileSystem::createDirectory(const std::string& path) {
  std::string host;
  if (const FsStatus status = hostPathForWrite(path, host); status != FsStatus::Ok) return status;
  return ::mkdir(host.c_str(), 0755) == 0 ? FsStatus::Ok : FromErrno(errno);
}

FsStatus PosixFileSystem::openForWrite(const std::string& path, bool append,
                                       std::unique_ptr<FileWriter>& out) {
  out.reset();
  std::string host;
  if (const FsStatus status = hostPathForWrite(path, host); status != FsStatus::Ok) return status;
  return OpenWriter(host, O_CREAT | (append ? O_APPEND : O_TRUNC), out);
}

FsStatus PosixFileSystem::replaceFile(const std::string& from, const std::string& to) {
  std::string hostFrom, hostTo;
  if (const FsStatus status = hostPathForWrite(from, hostFrom); status != FsStatus::Ok)
    return status;
  if (const FsStatus status = hostPathForWrite(to, hostTo); status != FsStatus::Ok) return status;
  return ::rename(hostFrom.c_str(), hostTo.c_str()) == 0 ? FsStatus::Ok : FromErrno(errno);
}

bool PosixFileSystem::deleteSilently(const std::string& path) {
  if (m_privateFiles.erase(path)) return ::unlink(path.c_str()) == 0;
  if (!m_volume.writable) {
    refuseWrite();
    return false;
  }
  const Located located = locate(path, false);
  if (located.state != PathProbe::File && located.state != PathProbe::Folder) return false;
  std::error_code ec;
  std::filesystem::remove_all(located.hostPath, ec);
  if (ec) t_lastError = ec.message();
  return !ec;
}

bool PosixFileSystem::moveToRecycleBin(const std::string&) {
  Failed(FsStatus::AccessDenied, "there is no Recycle Bin to put files back from offline");
  return false;
}

FsStatus PosixFileSystem::createPrivateTempFile(std::string& path,
                                                std::unique_ptr<FileWriter>& out) {
  path.clear();
  out.reset();
  t_lastError.clear();
  if (m_volume.hostTempFolder.empty())
    return Failed(FsStatus::AccessDenied, "no folder of this machine is given for private files");
  std::string pattern = m_volume.hostTempFolder;
  pattern += "/hivesweep-XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return FromErrno(errno);
  out = std::make_unique<PosixFileWriter>(fd);
  path = pattern;
  m_privateFiles.insert(path);
  return FsStatus::Ok;
}

FsStatus PosixFileSystem::resolvePath(const std::string& path, std::string& out) {
  out.clear();
  t_lastError.clear();
  const Located located = locate(path);
  if (located.state == PathProbe::NotFound) return FsStatus::NotFound;
  if (located.state == PathProbe::Inaccessible)
    return Failed(FsStatus::AccessDenied, "the path cannot be followed on the mounted volume");
  out = located.windowsPath;
  return FsStatus::Ok;
}

FsStatus PosixFileSystem::isLink(const std::string& path, bool& link) {
  link = false;
  t_lastError.clear();
  const Located located = locate(path, false);
  if (located.state == PathProbe::NotFound) return FsStatus::NotFound;
  link = located.isLink;
  if (located.state == PathProbe::Inaccessible && !located.isLink)
    return Failed(FsStatus::AccessDenied, "the path cannot be followed on the mounted volume");
  return FsStatus::Ok;
}

std::string PosixFileSystem::lastErrorText() {
  return t_lastError;
}

}  // namespace hs
