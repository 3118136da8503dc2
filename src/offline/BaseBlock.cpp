#include "offline/BaseBlock.h"

#include <cstring>

namespace hs::offline {

namespace {

constexpr std::size_t kChecksumOffset = 508;

}  // namespace

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint64_t ReadU64(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint64_t>(ReadU32(bytes, at)) |
         static_cast<std::uint64_t>(ReadU32(bytes, at + 4)) << 32;
}

void WriteU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t BaseBlockChecksum(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = 0;
  for (std::size_t at = 0; at < kChecksumOffset; at += 4) sum ^= ReadU32(bytes, at);
  // The kernel never stores 0 or -1 as a checksum.
  if (sum == 0xFFFFFFFFu) return 0xFFFFFFFEu;
  if (sum == 0) return 1;
  return sum;
}

std::optional<BaseBlock> ReadBaseBlock(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kLogSectorSize || std::memcmp(bytes.data(), "regf", 4) != 0)
    return std::nullopt;
  BaseBlock block;
  block.primarySequence = ReadU32(bytes, 4);
  block.secondarySequence = ReadU32(bytes, 8);
  block.lastWritten = ReadU64(bytes, 12);
  block.major = ReadU32(bytes, 20);
  block.minor = ReadU32(bytes, 24);
  block.fileType = ReadU32(bytes, 28);
  block.rootCell = ReadU32(bytes, 36);
  block.hiveBinsSize = ReadU32(bytes, 40);
  block.flags = ReadU32(bytes, 144);
  block.checksumValid = BaseBlockChecksum(bytes) == ReadU32(bytes, kChecksumOffset);
  return block;
}

void WriteBaseBlock(std::span<std::uint8_t> bytes, const BaseBlock& block) {
  WriteU32(bytes, 4, block.primarySequence);
  WriteU32(bytes, 8, block.secondarySequence);
  WriteU32(bytes, 28, block.fileType);
  WriteU32(bytes, 40, block.hiveBinsSize);
  WriteU32(bytes, 144, block.flags);
  WriteU32(bytes, kChecksumOffset, BaseBlockChecksum(bytes));
}

}  // namespace hs::offline
