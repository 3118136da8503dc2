#include "offline/posix/ReparsePoint.h"

#include <sys/xattr.h>

#include <vector>

#include "common/Text.h"

namespace hs {
namespace {

constexpr std::uint32_t kMountPoint = 0xA0000003;
constexpr std::uint32_t kSymbolicLink = 0xA000000C;

std::uint32_t Number(std::string_view data, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i-- > 0;)
    value = (value << 8) | static_cast<unsigned char>(data[at + i]);
  return value;
}

}  // namespace

std::optional<ReparseTarget> ParseReparseData(std::string_view data) {
  if (data.size() < 16) return std::nullopt;
  const std::uint32_t tag = Number(data, 0, 4);
  if (tag != kMountPoint && tag != kSymbolicLink) return std::nullopt;
  const std::size_t pathBuffer = tag == kSymbolicLink ? 20 : 16;
  if (data.size() < pathBuffer) return std::nullopt;
  const std::size_t offset = Number(data, 8, 2), length = Number(data, 10, 2);
  if (length % 2 != 0 || pathBuffer + offset + length > data.size()) return std::nullopt;
  std::u16string name;
  for (std::size_t i = 0; i < length; i += 2)
    name.push_back(static_cast<char16_t>(Number(data, pathBuffer + offset + i, 2)));
  ReparseTarget target;
  target.path = Utf16ToUtf8(name);
  target.relative = tag == kSymbolicLink && (Number(data, 16, 4) & 1) != 0;
  if (!target.relative && target.path.rfind("\\??\\", 0) == 0) target.path.erase(0, 4);
  if (target.path.empty()) return std::nullopt;
  return target;
}

std::optional<std::string> ReadNtfsReparseData(const std::string& hostPath) {
  std::vector<char> buffer(16 * 1024 + 8);  // the largest reparse data Windows allows
  const ssize_t length =
      ::lgetxattr(hostPath.c_str(), "system.ntfs_reparse_data", buffer.data(), buffer.size());
  if (length <= 0) return std::nullopt;
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace hs
