#include "offline/LinkKeys.h"

#include <cstring>

#include "offline/BaseBlock.h"

namespace hs::offline {

namespace {

constexpr std::size_t kLinkScanBinHeader = 32;
constexpr std::size_t kLinkScanSizeField = 4;
constexpr std::size_t kLinkScanKeyFlags = 6;  // after the size field and "nk"
constexpr std::uint16_t kLinkScanSymLink = 0x0010;

bool IsLinkKeyCell(const std::uint8_t* cell, std::size_t length) {
  return length >= kLinkScanKeyFlags + 2 && cell[4] == 'n' && cell[5] == 'k' &&
         ((cell[kLinkScanKeyFlags] | cell[kLinkScanKeyFlags + 1] << 8) & kLinkScanSymLink);
}

// Adds the link keys of the bin [bin, end); false when its cells do not
// fill it exactly.
bool ScanBinForLinks(std::span<const std::uint8_t> image, std::size_t bin, std::size_t end,
                     std::vector<std::uint64_t>& links) {
  for (std::size_t cell = bin + kLinkScanBinHeader; cell < end;) {
    if (end - cell < kLinkScanSizeField) return false;
    // Allocated cells have a negative size, free ones a positive size.
    const auto size = static_cast<std::int32_t>(ReadU32(image, cell));
    const bool allocated = size < 0;
    const auto length = static_cast<std::size_t>(allocated ? -static_cast<std::int64_t>(size)
                                                           : static_cast<std::int64_t>(size));
    if (length < 2 * kLinkScanSizeField || length > end - cell) return false;
    if (allocated && IsLinkKeyCell(image.data() + cell, length)) links.push_back(cell);
    cell += length;
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::uint64_t>> FindLinkKeys(std::span<const std::uint8_t> image) {
  const std::optional<BaseBlock> block = ReadBaseBlock(image);
  if (!block || image.size() < kBaseBlockSize ||
      block->hiveBinsSize > image.size() - kBaseBlockSize)
    return std::nullopt;
  const std::size_t end = kBaseBlockSize + block->hiveBinsSize;
  std::vector<std::uint64_t> links;
  for (std::size_t bin = kBaseBlockSize; bin < end;) {
    if (end - bin < kLinkScanBinHeader) return std::nullopt;
    const std::uint32_t size = ReadU32(image, bin + 8);
    if (std::memcmp(image.data() + bin, "hbin", 4) != 0 || size < kHiveBinAlignment ||
        size % kHiveBinAlignment != 0 || size > end - bin ||
        !ScanBinForLinks(image, bin, bin + size, links))
      return std::nullopt;
    bin += size;
  }
  return links;
}

}  // namespace hs::offline
