#pragma once
// The Windows target of a junction or symbolic link, from the reparse data
// ntfs-3g shows as "system.ntfs_reparse_data". ntfs-3g's own symbolic link
// for it is a guess: a junction to "D:\Program Files" becomes a link into
// this volume when this volume has such a folder.
#include <optional>
#include <string>
#include <string_view>

namespace hs {

struct ReparseTarget {
  std::string path;       // "C:\Users", or "..\x" when relative
  bool relative = false;  // a symbolic link relative to its own folder
};

// Nothing for data that is not a whole mount point or symbolic link.
std::optional<ReparseTarget> ParseReparseData(std::string_view data);

// The reparse data of a host path on an ntfs-3g volume; nothing elsewhere.
std::optional<std::string> ReadNtfsReparseData(const std::string& hostPath);

}  // namespace hs
