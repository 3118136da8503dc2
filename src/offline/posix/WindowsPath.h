#pragma once
// A Windows path taken apart as the system would before it looks at the
// disk: "\\?\" and "\\.\" prefixes dropped, "/" and "\" both separators,
// "." and ".." applied by name, trailing dots and blanks of the last name
// ignored.
#include <string>
#include <vector>

namespace hs {

struct WindowsPath {
  enum class Kind {
    Drive,    // "C:\..." : letter and names hold it
    Missing,  // names no file any system could have (empty, wildcards, "<", NUL...)
    Unknown,  // a share, a device or a relative path: nothing here can judge it
  };
  Kind kind = Kind::Missing;
  char letter = 0;                 // upper case
  std::vector<std::string> names;  // below the drive root
  bool endsWithSeparator = false;  // "file.txt\" asks for a folder
};

WindowsPath ParseWindowsPath(const std::string& path);

// "C:\" + the names joined by "\".
std::string JoinWindowsPath(char letter, const std::vector<std::string>& names);

}  // namespace hs
