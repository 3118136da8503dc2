#pragma once
// Paths on a mounted Windows volume, found without regard to letter case
// (an exact match preferred when two names differ only in case).
#include <optional>
#include <string>
#include <vector>

namespace hs::offline {

// The host path of `parts` below `folder`, or nothing when one is missing.
std::optional<std::string> FindNoCase(const std::string& folder,
                                      const std::vector<std::string>& parts);

// "C:\Users\Ann" -> the host path, when C: is `volumeRoot`'s drive and every
// folder exists; environment references must be expanded before.
std::optional<std::string> HostPathOf(const std::string& volumeRoot, char volumeLetter,
                                      const std::string& windowsPath);

}  // namespace hs::offline
