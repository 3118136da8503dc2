#pragma once
// What must hold before anything of an installation is written; each check
// answers "" or the sentence that tells the user what to do.
#include <optional>
#include <string>
#include <vector>

#include "offline/posix/UniqueFd.h"

namespace hs::offline {

// The folder lies on a volume mounted read-only, or cannot be written.
std::string ReadOnlyRefusal(const std::string& folder);

// hiberfil.sys at the volume's root holds a hibernation image (Windows was
// hibernated or shut down with Fast Startup): Windows would resume from it
// and lose, or corrupt, what is written now.
std::string HibernationRefusal(const std::string& volumeRoot);

// Another process of this machine has one of the files open.
std::string OpenedElsewhereRefusal(const std::vector<std::string>& files);

// One writing run at a time per installation: an exclusive lock on
// hivesweep-offline.lock in the hives' folder, held while this lives.
class WriteLock {
 public:
  // Nothing, with `error` set, when another run holds it or it cannot be made.
  static std::optional<WriteLock> Take(const std::string& configFolder, std::string& error);
  WriteLock(WriteLock&&) = default;
  WriteLock& operator=(WriteLock&&) = default;
  ~WriteLock();

 private:
  WriteLock(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
  UniqueFd fd_;
  std::string path_;
};

}  // namespace hs::offline
