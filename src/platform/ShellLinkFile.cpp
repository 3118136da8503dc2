#include "platform/ShellLinkFile.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "common/Text.h"

namespace hs {
namespace {

// LinkFlags of the header ([MS-SHLLINK] 2.1.1).
constexpr std::uint32_t kHasIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kHasName = 0x4;
constexpr std::uint32_t kHasRelativePath = 0x8;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kHasIconLocation = 0x40;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kForceNoLinkInfo = 0x100;
constexpr std::uint32_t kHasExpString = 0x200;

constexpr std::size_t kHeaderSize = 0x4C;
constexpr std::string_view kShellLinkClsid(
    "\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
constexpr std::string_view kMyComputerClsid(
    "\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 16);

constexpr std::uint32_t kEnvironmentBlockSignature = 0xA0000001;
constexpr std::uint32_t kEnvironmentBlockSize = 0x314;

// Little-endian numbers at checked positions of one piece of the file.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : m_data(data) {}
  std::size_t size() const { return m_data.size(); }
  std::string_view view() const { return m_data; }
  std::optional<std::uint32_t> u16(std::size_t at) const { return number(at, 2); }
  std::optional<std::uint32_t> u32(std::size_t at) const { return number(at, 4); }
  std::optional<std::string_view> slice(std::size_t at, std::size_t length) const {
    if (at > m_data.size() || length > m_data.size() - at) return std::nullopt;
    return m_data.substr(at, length);
  }

 private:
  std::optional<std::uint32_t> number(std::size_t at, std::size_t width) const {
    if (at > m_data.size() || width > m_data.size() - at) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
      value = (value << 8) | static_cast<unsigned char>(m_data[at + i]);
    return value;
  }
  std::string_view m_data;
};

std::string FromUtf16Le(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  return Utf16ToUtf8(text);
}

std::string FromAnsi(std::string_view bytes, const CodePage& ansi) {
  std::string out;
  AppendDecodedUtf8(ansi, bytes, out);
  return out;
}

// A NUL-terminated 8-bit string starting at `at`; nothing when it has no end
// inside `piece`.
std::optional<std::string> AnsiStringAt(const Bytes& piece, std::size_t at, const CodePage& ansi) {
  if (at >= piece.size()) return std::nullopt;
  const std::size_t end = piece.view().find('\0', at);
  if (end == std::string_view::npos) return std::nullopt;
  return FromAnsi(piece.view().substr(at, end - at), ansi);
}

// Where the NUL of a UTF-16LE string starting at `at` lies.
std::optional<std::size_t> UnicodeNulAt(const Bytes& piece, std::size_t at) {
  for (std::size_t i = at; i + 1 < piece.size(); i += 2)
    if (piece.view()[i] == '\0' && piece.view()[i + 1] == '\0') return i;
  return std::nullopt;
}

// A NUL-terminated UTF-16LE string starting at `at`.
std::optional<std::string> UnicodeStringAt(const Bytes& piece, std::size_t at) {
  const auto nul = UnicodeNulAt(piece, at);
  if (!nul) return std::nullopt;
  return FromUtf16Le(piece.view().substr(at, *nul - at));
}

// --- item ID list ---

// The UTF-16 name at `nameOffset` of an extension block; the block ends
// with the 16-bit offset of its own start.
std::optional<std::string> NameInBlock(std::string_view block, std::size_t nameOffset) {
  const Bytes names(block.substr(0, block.size() >= 2 ? block.size() - 2 : 0));
  auto name = UnicodeStringAt(names, nameOffset);
  if (name && name->empty()) return std::nullopt;
  return name;
}

// The long name of a file entry item whose short name ends before
// `afterShortName`: from the shell's 0xBEEF0004 extension block, whose later
// versions insert fields before the name; else from the block Wine writes
// right after the short name (no signature, the name at 20).
std::optional<std::string> LongNameOfFileEntry(const Bytes& item, std::size_t afterShortName) {
  const std::string_view signature("\x04\x00\xEF\xBE", 4);  // 0xBEEF0004
  const std::size_t found = item.view().find(signature, afterShortName + 4);
  if (found == std::string_view::npos) {
    const auto blockSize = item.u16(afterShortName);
    if (!blockSize || afterShortName + *blockSize != item.size()) return std::nullopt;
    return NameInBlock(item.view().substr(afterShortName), 20);
  }
  const std::size_t start = found - 4;
  const auto blockSize = item.u16(start);
  const auto version = item.u16(start + 2);
  if (!blockSize || !version || *version < 3) return std::nullopt;
  const auto block = item.slice(start, *blockSize);
  if (!block) return std::nullopt;
  std::size_t nameOffset = 20;
  if (*version >= 7) nameOffset += 18;
  if (*version >= 8) nameOffset += 4;
  if (*version >= 9) nameOffset += 4;
  return NameInBlock(*block, nameOffset);
}

// One name of the path from a file entry item (types 0x30-0x3F): the long
// name when the item carries it, else the short (8.3) one.
std::optional<std::string> FileEntryName(const Bytes& item, const CodePage& ansi) {
  constexpr std::size_t kShortNameAt = 14;
  const bool unicode = (static_cast<unsigned char>(item.view()[2]) & 0x04) != 0;
  auto shortName =
      unicode ? UnicodeStringAt(item, kShortNameAt) : AnsiStringAt(item, kShortNameAt, ansi);
  if (!shortName || shortName->empty()) return std::nullopt;
  const std::size_t end =
      unicode ? *UnicodeNulAt(item, kShortNameAt) + 2 : item.view().find('\0', kShortNameAt) + 1;
  if (auto longName = LongNameOfFileEntry(item, end)) return longName;
  return shortName;
}

// "C:\" from a drive item (types 0x20-0x2F).
std::optional<std::string> DriveRoot(const Bytes& item) {
  const auto text = item.slice(3, 3);
  if (!text || !std::isalpha(static_cast<unsigned char>((*text)[0])) || (*text)[1] != ':' ||
      (*text)[2] != '\\')
    return std::nullopt;
  return std::string(*text);
}

// The file-system path of an ID list: My Computer, a drive, then folders and
// the file. Anything else (a share, a virtual folder) names no path here.
std::string PathOfIdList(const Bytes& list, const CodePage& ansi) {
  std::string path;
  std::size_t at = 0;
  for (int index = 0;; ++index) {
    const auto size = list.u16(at);
    if (!size || *size == 0) break;
    const auto itemBytes = list.slice(at, *size);
    if (*size < 3 || !itemBytes) return {};
    const Bytes item(*itemBytes);
    const unsigned type = static_cast<unsigned char>((*itemBytes)[2]);
    if (index == 0) {
      const auto clsid = item.slice(4, 16);
      if (type != 0x1F || !clsid || *clsid != kMyComputerClsid) return {};
    } else if (index == 1) {
      const auto root = (type & 0x70) == 0x20 ? DriveRoot(item) : std::nullopt;
      if (!root) return {};
      path = *root;
    } else {
      const auto name = (type & 0x70) == 0x30 ? FileEntryName(item, ansi) : std::nullopt;
      if (!name || name->find_first_of("\\/") != std::string::npos) return {};
      if (path.back() != '\\') path += '\\';
      path += *name;
    }
    at += *size;
  }
  return path;
}

// --- link information ---

struct Cursor {
  Bytes file;
  std::size_t at = 0;
};

// The Unicode string at the offset in `unicodeField` when the header has that
// field and it is set, else the 8-bit one at the offset in `ansiField`.
std::optional<std::string> InfoString(const Bytes& info, std::size_t headerSize,
                                      std::size_t ansiField, std::size_t unicodeField,
                                      const CodePage& ansi) {
  if (unicodeField + 4 <= headerSize) {
    const auto offset = info.u32(unicodeField);
    if (offset && *offset != 0) return UnicodeStringAt(info, *offset);
  }
  const auto offset = info.u32(ansiField);
  if (!offset) return std::nullopt;
  return AnsiStringAt(info, *offset, ansi);
}

bool ReadNetworkLink(const Bytes& info, std::size_t offset, const CodePage& ansi,
                     ShellLinkFile& out) {
  const auto size = info.u32(offset);
  if (!size || *size < 0x14) return false;
  const auto bytes = info.slice(offset, *size);
  if (!bytes) return false;
  const Bytes link(*bytes);
  const auto netNameOffset = link.u32(8);
  if (!netNameOffset) return false;
  // The Unicode offsets exist when the 8-bit name starts past them.
  const std::size_t headerSize = *netNameOffset > 0x14 ? 0x1C : 0x14;
  const auto netName = InfoString(link, headerSize, 8, 0x14, ansi);
  if (!netName) return false;
  out.netName = *netName;
  return true;
}

bool ReadLinkInfo(Cursor& cursor, const CodePage& ansi, ShellLinkFile& out) {
  const auto size = cursor.file.u32(cursor.at);
  if (!size || *size < 0x1C) return false;
  const auto bytes = cursor.file.slice(cursor.at, *size);
  if (!bytes) return false;
  cursor.at += *size;
  const Bytes info(*bytes);
  const auto headerSize = info.u32(4);
  const auto infoFlags = info.u32(8);
  if (!headerSize || !infoFlags || *headerSize < 0x1C || *headerSize > *size) return false;
  out.hasLinkInfo = true;
  if (*infoFlags & 0x1) {
    const auto base = InfoString(info, *headerSize, 16, 28, ansi);
    if (!base) return false;
    out.localBasePath = *base;
  }
  if (*infoFlags & 0x2) {
    const auto offset = info.u32(20);
    if (!offset || !ReadNetworkLink(info, *offset, ansi, out)) return false;
  }
  if (*infoFlags & 0x3) {
    const auto suffix = InfoString(info, *headerSize, 24, 32, ansi);
    if (!suffix) return false;
    out.commonPathSuffix = *suffix;
  }
  return true;
}

// --- string data and extra data ---

bool ReadCountedString(Cursor& cursor, bool unicode, const CodePage& ansi, std::string& out) {
  const auto count = cursor.file.u16(cursor.at);
  if (!count) return false;
  const std::size_t length = unicode ? *count * 2u : *count;
  const auto text = cursor.file.slice(cursor.at + 2, length);
  if (!text) return false;
  out = unicode ? FromUtf16Le(*text) : FromAnsi(*text, ansi);
  // Some writers (Wine) count the terminating NUL; the shell uses the
  // string up to it.
  out.erase(std::min(out.find('\0'), out.size()));
  cursor.at += 2 + length;
  return true;
}

bool ReadStringData(Cursor& cursor, const CodePage& ansi, ShellLinkFile& out) {
  const bool unicode = (out.flags & kIsUnicode) != 0;
  const std::pair<std::uint32_t, std::string*> strings[] = {
      {kHasName, &out.name},
      {kHasRelativePath, &out.relativePath},
      {kHasWorkingDir, &out.workingDir},
      {kHasArguments, &out.arguments},
      {kHasIconLocation, &out.iconLocation},
  };
  for (const auto& [flag, field] : strings)
    if ((out.flags & flag) && !ReadCountedString(cursor, unicode, ansi, *field)) return false;
  return true;
}

void ReadEnvironmentBlock(const Bytes& block, const CodePage& ansi, ShellLinkFile& out) {
  constexpr std::size_t kAnsiAt = 8, kUnicodeAt = 268, kChars = 260;
  const Bytes unicodeField(*block.slice(kUnicodeAt, kChars * 2));
  std::string target = UnicodeStringAt(unicodeField, 0).value_or("");
  if (target.empty()) {
    const std::string_view field = *block.slice(kAnsiAt, kChars);
    target = FromAnsi(field.substr(0, field.find('\0')), ansi);
  }
  out.environmentTarget = target;
}

// Blocks up to the terminal one (size below 4). The reading stops at a
// block that does not fit, keeping what came before, as the shell's own
// reader does: Wine, for one, writes a relative path without its flag, and
// the strings then run on into this part.
void ReadExtraData(Cursor& cursor, const CodePage& ansi, ShellLinkFile& out) {
  while (cursor.at < cursor.file.size()) {
    const auto size = cursor.file.u32(cursor.at);
    const auto bytes = size ? cursor.file.slice(cursor.at, *size) : std::nullopt;
    if (!size || *size < 8 || !bytes) return;
    const Bytes block(*bytes);
    if (*block.u32(4) == kEnvironmentBlockSignature && *size == kEnvironmentBlockSize)
      ReadEnvironmentBlock(block, ansi, out);
    cursor.at += *size;
  }
}

bool IsFullPath(const std::string& path) {
  return (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
          path[2] == '\\') ||
         (path.size() > 2 && path[0] == '\\' && path[1] == '\\');
}

// "C:\a\b" + "..\c\.\d.exe" -> "C:\a\c\d.exe"; nothing when ".." would climb
// above the drive root.
std::string JoinRelative(const std::string& folder, const std::string& relative) {
  std::vector<std::string> parts = Split(folder, '\\');
  while (parts.size() > 1 && parts.back().empty()) parts.pop_back();
  for (const std::string& part : Split(relative, '\\')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.size() <= 1) return {};
      parts.pop_back();
    } else {
      parts.push_back(part);
    }
  }
  std::string path = parts.front();
  for (std::size_t i = 1; i < parts.size(); ++i) path += "\\" + parts[i];
  return parts.size() == 1 ? path + "\\" : path;
}

}  // namespace

bool ReadShellLinkFile(std::string_view bytes, const CodePage& ansi, ShellLinkFile& out) {
  out = ShellLinkFile();
  Cursor cursor{Bytes(bytes), kHeaderSize};
  const auto headerSize = cursor.file.u32(0);
  const auto clsid = cursor.file.slice(4, 16);
  const auto flags = cursor.file.u32(20);
  if (!headerSize || *headerSize != kHeaderSize || !clsid || *clsid != kShellLinkClsid || !flags ||
      bytes.size() < kHeaderSize)
    return false;
  out.flags = *flags;
  if (out.flags & kHasIdList) {
    const auto listSize = cursor.file.u16(cursor.at);
    if (!listSize) return false;
    const auto list = cursor.file.slice(cursor.at + 2, *listSize);
    if (!list) return false;
    out.idListPath = PathOfIdList(Bytes(*list), ansi);
    cursor.at += 2 + *listSize;
  }
  if ((out.flags & kHasLinkInfo) && !ReadLinkInfo(cursor, ansi, out)) return false;
  if (out.flags & kForceNoLinkInfo) {
    out.hasLinkInfo = false;
    out.localBasePath.clear();
    out.netName.clear();
    out.commonPathSuffix.clear();
  }
  if (!ReadStringData(cursor, ansi, out)) return false;
  ReadExtraData(cursor, ansi, out);
  return true;
}

std::string ShellLinkTargetPath(const ShellLinkFile& link, const std::string& linkFolder,
                                const std::function<std::string(const std::string&)>& expand) {
  std::vector<std::string> candidates;
  if ((link.flags & kHasExpString) && !link.environmentTarget.empty())
    candidates.push_back(expand(link.environmentTarget));
  if (!link.netName.empty())
    candidates.push_back(link.commonPathSuffix.empty()
                             ? link.netName
                             : JoinPath(link.netName, link.commonPathSuffix));
  if (!link.localBasePath.empty()) {
    // A '?' (never part of a Windows name) stands for a character the
    // writer's code page could not hold; the ID list keeps the real name.
    const std::string path = link.localBasePath + link.commonPathSuffix;
    if (path.find('?') == std::string::npos || link.idListPath.empty()) candidates.push_back(path);
  }
  candidates.push_back(link.idListPath);
  candidates.push_back(link.relativePath);  // as Wine writes it: a full path
  if (!link.relativePath.empty() && IsFullPath(linkFolder))
    candidates.push_back(JoinRelative(linkFolder, link.relativePath));
  for (const std::string& candidate : candidates)
    if (IsFullPath(candidate)) return candidate;
  return {};
}

}  // namespace hs
