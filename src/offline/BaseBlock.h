#pragma once
// The base block (file header) of a registry hive file or of a transaction
// log: the first 4096 bytes of a primary file, the first 512 of a log.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace hs::offline {

inline constexpr std::size_t kBaseBlockSize = 4096;
inline constexpr std::size_t kLogSectorSize = 512;
inline constexpr std::size_t kHiveBinAlignment = 4096;

enum class HiveFileType : std::uint32_t {
  Primary = 0,
  OldLog = 1,  // Windows XP to 8
  NewLog = 6,  // Windows 8.1 and later
};

struct BaseBlock {
  std::uint32_t primarySequence = 0;
  std::uint32_t secondarySequence = 0;
  std::uint64_t lastWritten = 0;  // FILETIME
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t fileType = 0;
  std::uint32_t rootCell = 0;
  std::uint32_t hiveBinsSize = 0;
  std::uint32_t flags = 0;
  bool checksumValid = false;

  bool sequencesEqual() const { return primarySequence == secondarySequence; }
  // Windows treats a hive as dirty when either holds: its newest changes
  // may then be in the transaction logs only.
  bool dirty() const { return !checksumValid || !sequencesEqual(); }
};

// Nothing when the bytes are too short or do not start with "regf".
std::optional<BaseBlock> ReadBaseBlock(std::span<const std::uint8_t> bytes);

// XOR of the first 127 little-endian words, with Windows' two corrections.
std::uint32_t BaseBlockChecksum(std::span<const std::uint8_t> bytes);

// Writes the sequence numbers, size, flags and type into a primary file's
// base block and puts a fresh checksum in it.
void WriteBaseBlock(std::span<std::uint8_t> bytes, const BaseBlock& block);

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at);
std::uint64_t ReadU64(std::span<const std::uint8_t> bytes, std::size_t at);
void WriteU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value);

}  // namespace hs::offline
