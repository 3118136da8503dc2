#include "offline/posix/NoCasePath.h"

#include <cctype>
#include <filesystem>

#include "common/Text.h"

namespace hs::offline {

namespace fs = std::filesystem;

std::optional<std::string> FindNoCase(const std::string& folder,
                                      const std::vector<std::string>& parts) {
  fs::path current(folder);
  for (const std::string& part : parts) {
    if (part.empty() || part == ".") continue;
    std::error_code ec;
    if (fs::exists(current / part, ec)) {
      current /= part;
      continue;
    }
    std::optional<fs::path> found;
    for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec))
      if (EqualsNoCase(it->path().filename().string(), part)) {
        found = it->path();
        break;
      }
    if (!found) return std::nullopt;
    current = *found;
  }
  return current.string();
}

std::optional<std::string> HostPathOf(const std::string& volumeRoot, char volumeLetter,
                                      const std::string& windowsPath) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
      std::toupper(static_cast<unsigned char>(windowsPath[0])) != volumeLetter)
    return std::nullopt;
  return FindNoCase(volumeRoot, Split(windowsPath.substr(2), '\\'));
}

}  // namespace hs::offline
