#include "offline/posix/WindowsPath.h"

#include <cctype>

#include "common/Text.h"

namespace hs {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// Characters no Windows name may hold; a NUL would cut the path short.
bool HasForbiddenCharacter(const std::string& name) {
  for (const char c : name)
    if (c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*' ||
        static_cast<unsigned char>(c) < 32)
      return true;
  return false;
}

// "\\?\C:\x" and "\\.\C:\x" name C:\x; "\\?\UNC\server\share" a share.
std::string WithoutDevicePrefix(const std::string& path, bool& share) {
  share = false;
  if (path.size() < 4 || !IsSeparator(path[0]) || !IsSeparator(path[1]) ||
      (path[2] != '?' && path[2] != '.') || !IsSeparator(path[3]))
    return path;
  const std::string rest = path.substr(4);
  if (rest.size() >= 4 && StartsWithNoCase(rest, "UNC") && IsSeparator(rest[3])) share = true;
  return rest;
}

}  // namespace

WindowsPath ParseWindowsPath(const std::string& original) {
  WindowsPath parsed;
  if (original.empty() || original.find('\0') != std::string::npos) return parsed;
  bool share = false;
  const std::string path = WithoutDevicePrefix(original, share);
  const bool driveAbsolute = path.size() >= 2 && path[1] == ':' &&
                             std::isalpha(static_cast<unsigned char>(path[0])) &&
                             (path.size() == 2 || IsSeparator(path[2]));
  parsed.kind = WindowsPath::Kind::Unknown;
  if (share || !driveAbsolute) {
    // Still missing everywhere when a name is impossible.
    for (const std::string& name : Split(path, '\\'))
      if (name.find_first_of("<>\"|*") != std::string::npos)
        parsed.kind = WindowsPath::Kind::Missing;
    return parsed;
  }
  parsed.kind = WindowsPath::Kind::Drive;
  parsed.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  parsed.endsWithSeparator = path.size() > 3 && IsSeparator(path.back());
  std::vector<std::string> raw;
  std::string name;
  for (std::size_t i = 2; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      raw.push_back(name);
      name.clear();
    } else {
      name += path[i];
    }
  }
  // The system ignores trailing dots and blanks of the last name.
  std::string& last = raw.back();
  if (last != "." && last != "..")
    while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
  for (const std::string& part : raw) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parsed.names.empty()) parsed.names.pop_back();
      continue;
    }
    if (HasForbiddenCharacter(part)) {
      parsed.kind = WindowsPath::Kind::Missing;
      return parsed;
    }
    parsed.names.push_back(part);
  }
  return parsed;
}

std::string JoinWindowsPath(char letter, const std::vector<std::string>& names) {
  std::string path{letter, ':', '\\'};
  for (std::size_t i = 0; i < names.size(); ++i) path += (i ? "\\" : "") + names[i];
  return path;
}

}  // namespace hs
