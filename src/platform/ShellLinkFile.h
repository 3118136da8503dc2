#pragma once
// A reader of shell link (.lnk) files as the shell writes them: the header,
// the item ID list, the link information (volume path or network share plus
// the common suffix), the string data and the environment-variable block.
// Portable, so that shortcuts on a mounted Windows volume can be read where
// no shell link object exists. Every length and offset in the file is
// checked: a damaged or hostile file is "not a shell link", never a crash.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/CodePage.h"

namespace hs {

struct ShellLinkFile {
  std::uint32_t flags = 0;  // LinkFlags of the header
  // The file-system path the item ID list names ("C:\Program Files\x.exe"),
  // or "" when it names none (no list, a control-panel item, a printer...).
  std::string idListPath;
  bool hasLinkInfo = false;
  std::string localBasePath;     // "C:\Program Files\" on the target's volume
  std::string netName;           // "\\server\share" for a target on a share
  std::string commonPathSuffix;  // what follows the base path or the share
  std::string name, relativePath, workingDir, arguments, iconLocation;
  // The target as written with %VARIABLES%, from the environment block.
  std::string environmentTarget;
};

// False when `bytes` are not a whole shell link (wrong header, a part that
// the flags announce but the file cuts short or that does not fit its own
// sizes). Extra data is read up to the first block that does not fit. Strings stored in 8-bit form
// are decoded in `ansi`, the code page of the machine that wrote the file.
bool ReadShellLinkFile(std::string_view bytes, const CodePage& ansi, ShellLinkFile& out);

// The target's path as the shell gives it with UNC priority: the first full
// path ("C:\..." or "\\server\...") among the environment block's target
// (expanded by `expand`), the share path, the volume path, the item ID
// list's path and the relative path taken from `linkFolder`; "" when the
// link names no file-system item.
std::string ShellLinkTargetPath(const ShellLinkFile& link, const std::string& linkFolder,
                                const std::function<std::string(const std::string&)>& expand);

}  // namespace hs
