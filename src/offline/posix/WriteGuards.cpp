#include "offline/posix/WriteGuards.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>

#include "common/Text.h"
#include "offline/posix/NoCasePath.h"

namespace hs::offline {

namespace {

constexpr const char* kLockName = "hivesweep-offline.lock";

std::string Canonical(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

}  // namespace

std::string ReadOnlyRefusal(const std::string& folder) {
  struct statvfs volume {};
  if (::statvfs(folder.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY))
    return folder +
           " lies on a volume mounted read-only; mount it for writing (ntfs-3g: without "
           "-o ro) and run the command again";
  if (::access(folder.c_str(), W_OK) != 0)
    return folder + " cannot be written (" + std::strerror(errno) +
           "); run as root on a volume mounted for writing";
  return "";
}

std::string HibernationRefusal(const std::string& volumeRoot) {
  const std::optional<std::string> file = FindNoCase(volumeRoot, {"hiberfil.sys"});
  if (!file) return "";
  const UniqueFd fd(::open(file->c_str(), O_RDONLY | O_CLOEXEC));
  std::array<char, 4> signature{};
  if (!fd || ::read(fd.get(), signature.data(), signature.size()) != 4) return "";
  const std::string text(signature.data(), signature.size());
  // An image being written, resumed or restored; a used-up file is zeroed.
  for (const char* active : {"HIBR", "WAKE", "RSTR"})
    if (EqualsNoCase(text, active))
      return *file +
             " holds a hibernation image (Windows was hibernated or shut down with Fast "
             "Startup): Windows would resume from it and lose or corrupt what is written now. "
             "Start Windows and shut it down fully (Shift + Shut down, or turn Fast Startup "
             "off), then run the command again";
  return "";
}

std::string OpenedElsewhereRefusal(const std::vector<std::string>& files) {
  std::set<std::string> wanted;
  for (const std::string& file : files) wanted.insert(Canonical(file));
  const std::string self = std::to_string(::getpid());
  DIR* processes = ::opendir("/proc");
  if (!processes) return "";
  std::string refusal;
  while (const dirent* process = ::readdir(processes)) {
    const std::string pid = process->d_name;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
      continue;
    const std::string fdFolder = "/proc/" + pid + "/fd";
    DIR* fds = ::opendir(fdFolder.c_str());
    if (!fds) continue;
    while (const dirent* fd = ::readdir(fds)) {
      char target[PATH_MAX];
      const ssize_t length =
          ::readlink((fdFolder + "/" + fd->d_name).c_str(), target, sizeof target - 1);
      if (length <= 0) continue;
      const std::string open(target, static_cast<std::size_t>(length));
      if (wanted.count(open) && refusal.empty())
        refusal = open + " is open in process " + pid +
                  "; end that program (or unmount what uses the hive) and run the command again";
    }
    ::closedir(fds);
  }
  ::closedir(processes);
  return refusal;
}

std::optional<WriteLock> WriteLock::Take(const std::string& configFolder, std::string& error) {
  const std::string path = configFolder + "/" + kLockName;
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!fd) {
    error = "cannot make the lock file " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? "another hivesweep-offline is writing this installation (" +
                                       path + " is locked); wait for it to end"
                                 : "cannot lock " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  // A run that ended between our open and our lock took its file away.
  struct stat held {
  }, named{};
  if (::fstat(fd.get(), &held) != 0 || ::stat(path.c_str(), &named) != 0 ||
      held.st_ino != named.st_ino) {
    error = "another hivesweep-offline has just ended its run here; run the command again";
    return std::nullopt;
  }
  return WriteLock(std::move(fd), path);
}

WriteLock::~WriteLock() {
  // Removed while still held, so no other run takes a file about to vanish.
  if (fd_) ::unlink(path_.c_str());
}

}  // namespace hs::offline
