// The old log format (Windows XP to 8): after the base block, "DIRT" and a
// bitmap with one bit per 512-byte page of the hive bins, then the dirty
// pages in bit order from the next sector on. A log applies only when its
// base block was written with the primary's (same timestamp); when several
// do, the first that yields whole hive bins is used.
#include <algorithm>
#include <cstring>

#include "offline/LogReplayParts.h"

namespace hs::offline::detail {

namespace {

constexpr std::size_t kPage = 512;

std::size_t RoundUpToSector(std::size_t n) {
  return (n + kLogSectorSize - 1) / kLogSectorSize * kLogSectorSize;
}

bool BitSet(std::span<const std::uint8_t> bitmap, std::size_t bit) {
  return (bitmap[bit / 8] >> (bit % 8)) & 1u;
}

// The timestamp a log must carry: the primary's, or when its base block is
// damaged, the copy in the first hive bin's header.
std::uint64_t ExpectedTimestamp(std::span<const std::uint8_t> primary, const BaseBlock& block) {
  if (block.checksumValid) return block.lastWritten;
  if (primary.size() < kBaseBlockSize + 28 ||
      std::memcmp(primary.data() + kBaseBlockSize, "hbin", 4) != 0)
    return 0;
  return ReadU64(primary, kBaseBlockSize + 20);
}

// Applies one log; an empty detail in the result's outcome Replayed, else
// the reason it could not be used.
ReplayResult ApplyLog(std::span<const std::uint8_t> primary, const BaseBlock& primaryBlock,
                      const ValidLog& log) {
  const std::span<const std::uint8_t> bytes = log.file->bytes;
  const std::size_t bits = log.block.hiveBinsSize / kPage;
  const std::size_t bitmapAt = kLogSectorSize + 4;
  const std::size_t pagesAt = RoundUpToSector(bitmapAt + (bits + 7) / 8);
  if (log.block.hiveBinsSize == 0 || log.block.hiveBinsSize % kHiveBinAlignment != 0 ||
      bytes.size() < pagesAt || std::memcmp(bytes.data() + kLogSectorSize, "DIRT", 4) != 0)
    return Refused(log.file->name + " has no dirty vector");
  const std::span<const std::uint8_t> bitmap = bytes.subspan(bitmapAt, (bits + 7) / 8);
  ReplayResult result;
  result.image = StartImage(primary, primaryBlock.checksumValid, log, log.block.hiveBinsSize);
  std::size_t next = pagesAt;
  for (std::size_t bit = 0; bit < bits; ++bit) {
    if (!BitSet(bitmap, bit)) continue;
    if (bytes.size() - next < kPage)
      return Refused(log.file->name + " ends before its dirty pages");
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(next), kPage,
                result.image.begin() + static_cast<std::ptrdiff_t>(kBaseBlockSize + bit * kPage));
    next += kPage;
    ++result.entriesApplied;
  }
  BaseBlock block = primaryBlock.checksumValid ? primaryBlock : log.block;
  block.hiveBinsSize = log.block.hiveBinsSize;
  block.primarySequence = block.secondarySequence =
      std::max(block.primarySequence, log.block.primarySequence);
  block.fileType = static_cast<std::uint32_t>(HiveFileType::Primary);
  WriteBaseBlock(result.image, block);
  if (std::string damage = CheckHiveBins(result.image, block.hiveBinsSize); !damage.empty())
    return Refused("after " + log.file->name + ", " + damage);
  result.outcome = ReplayOutcome::Replayed;
  result.format = LogFormat::Old;
  result.detail = std::to_string(result.entriesApplied) + " dirty pages from " + log.file->name;
  return result;
}

}  // namespace

ReplayResult ReplayOldFormat(std::span<const std::uint8_t> primary, const BaseBlock& primaryBlock,
                             const std::vector<ValidLog>& logs, const ReplayLimits& limits) {
  const std::uint64_t timestamp = ExpectedTimestamp(primary, primaryBlock);
  std::string reasons;
  for (const ValidLog& log : logs) {
    if (log.block.lastWritten != timestamp || timestamp == 0) {
      reasons += (reasons.empty() ? "" : "; ") + log.file->name + " was not written with this hive";
      continue;
    }
    if (log.block.hiveBinsSize > limits.maxHiveBinsSize) {
      reasons += (reasons.empty() ? "" : "; ") + log.file->name + " gives an implausible size";
      continue;
    }
    ReplayResult result = ApplyLog(primary, primaryBlock, log);
    if (result.outcome == ReplayOutcome::Replayed) return result;
    reasons += (reasons.empty() ? "" : "; ") + result.detail;
  }
  return Refused(reasons);
}

}  // namespace hs::offline::detail
