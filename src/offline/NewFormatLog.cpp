// The new log format (Windows 8.1 and later): after the base block, "HvLE"
// entries, each a set of dirty pages with the hive size at that time and two
// Marvin32 hashes. Entries apply in sequence-number order from the primary's
// secondary sequence number on, .LOG1 and .LOG2 taking turns.
#include <algorithm>
#include <cstring>

#include "offline/LogReplayParts.h"
#include "offline/Marvin32.h"

namespace hs::offline::detail {

namespace {

constexpr std::size_t kEntryHeaderSize = 40;

struct DirtyPage {
  std::uint32_t offset;  // in the hive bins
  std::uint32_t size;
  std::size_t dataAt;  // in the log
};

struct LogEntry {
  std::uint32_t sequence;
  std::uint32_t flags;
  std::uint32_t hiveBinsSize;
  std::vector<DirtyPage> pages;
};

bool HashesHold(std::span<const std::uint8_t> entry) {
  const std::uint64_t first = Marvin32(entry.subspan(kEntryHeaderSize), kLogEntrySeed);
  const std::uint64_t second = Marvin32(entry.first(32), kLogEntrySeed);
  return ReadU64(entry, 24) == first && ReadU64(entry, 32) == second;
}

// The entry's dirty pages, or nothing when a reference leaves the entry or
// the hive.
std::optional<std::vector<DirtyPage>> PagesOf(std::span<const std::uint8_t> entry,
                                              std::size_t entryAt, std::uint32_t hiveBinsSize) {
  const std::size_t count = ReadU32(entry, 20);
  if (count > (entry.size() - kEntryHeaderSize) / 8) return std::nullopt;
  std::vector<DirtyPage> pages;
  std::size_t dataAt = kEntryHeaderSize + count * 8;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t offset = ReadU32(entry, kEntryHeaderSize + i * 8);
    const std::uint32_t size = ReadU32(entry, kEntryHeaderSize + i * 8 + 4);
    if (size > entry.size() - dataAt || std::uint64_t{offset} + size > hiveBinsSize)
      return std::nullopt;
    pages.push_back({offset, size, entryAt + dataAt});
    dataAt += size;
  }
  return pages;
}

// The log's entries from the first on, up to the first one that is not
// whole (signature, size, hashes, hive size, page references).
std::vector<LogEntry> ReadEntries(std::span<const std::uint8_t> log, const ReplayLimits& limits) {
  std::vector<LogEntry> entries;
  for (std::size_t at = kLogSectorSize; log.size() - at >= kEntryHeaderSize;) {
    const std::span<const std::uint8_t> rest = log.subspan(at);
    const std::uint32_t size = ReadU32(rest, 4);
    const std::uint32_t hiveBinsSize = ReadU32(rest, 16);
    if (std::memcmp(rest.data(), "HvLE", 4) != 0 || size < kEntryHeaderSize ||
        size % kLogSectorSize != 0 || size > rest.size() || hiveBinsSize == 0 ||
        hiveBinsSize % kHiveBinAlignment != 0 || hiveBinsSize > limits.maxHiveBinsSize)
      break;
    const std::span<const std::uint8_t> entry = rest.first(size);
    if (!HashesHold(entry)) break;
    auto pages = PagesOf(entry, at, hiveBinsSize);
    if (!pages) break;
    entries.push_back({ReadU32(entry, 12), ReadU32(entry, 8), hiveBinsSize, std::move(*pages)});
    at += size;
  }
  return entries;
}

struct EntrySource {
  const ValidLog* log;
  std::vector<LogEntry> entries;
};

const LogEntry* FindEntry(const EntrySource& source, std::uint32_t sequence) {
  for (const LogEntry& entry : source.entries)
    if (entry.sequence == sequence) return &entry;
  return nullptr;
}

// The first entry to apply: the lowest sequence number not below `from`.
// Normally it is `from` itself; a partial reconcile (Windows wrote part of
// the logged data to the primary without touching its base block, then
// rotated the logs) leaves a gap before it, and Windows starts there.
std::optional<std::uint32_t> FirstSequence(const std::vector<EntrySource>& sources,
                                           std::uint32_t from) {
  std::optional<std::uint32_t> first;
  for (const EntrySource& source : sources)
    for (const LogEntry& entry : source.entries)
      if (entry.sequence >= from && (!first || entry.sequence < *first)) first = entry.sequence;
  return first;
}

void Apply(const LogEntry& entry, std::span<const std::uint8_t> log,
           std::vector<std::uint8_t>& image) {
  image.resize(std::max(image.size(), kBaseBlockSize + entry.hiveBinsSize));
  for (const DirtyPage& page : entry.pages)
    std::copy_n(log.begin() + static_cast<std::ptrdiff_t>(page.dataAt), page.size,
                image.begin() + static_cast<std::ptrdiff_t>(kBaseBlockSize + page.offset));
}

}  // namespace

ReplayResult ReplayNewFormat(std::span<const std::uint8_t> primary, const BaseBlock& primaryBlock,
                             const std::vector<ValidLog>& logs, const ReplayLimits& limits) {
  const BaseBlock& start = primaryBlock.checksumValid ? primaryBlock : logs.front().block;
  std::vector<EntrySource> sources;
  for (const ValidLog& log : logs) sources.push_back({&log, ReadEntries(log.file->bytes, limits)});
  const std::optional<std::uint32_t> first = FirstSequence(sources, start.secondarySequence);
  if (!first)
    return Refused("no log entry follows the hive's sequence number " +
                   std::to_string(start.secondarySequence));
  if (start.hiveBinsSize > limits.maxHiveBinsSize) return Refused("the hive size is implausible");

  ReplayResult result;
  result.image = StartImage(primary, primaryBlock.checksumValid, logs.front(), start.hiveBinsSize);
  BaseBlock block = start;
  std::string used;
  for (std::uint32_t sequence = *first;; ++sequence) {
    const EntrySource* source = nullptr;
    const LogEntry* entry = nullptr;
    for (const EntrySource& candidate : sources)
      if ((entry = FindEntry(candidate, sequence))) {
        source = &candidate;
        break;
      }
    if (!entry) break;
    Apply(*entry, source->log->file->bytes, result.image);
    block.hiveBinsSize = entry->hiveBinsSize;
    block.flags = entry->flags;
    block.primarySequence = block.secondarySequence = entry->sequence;
    if (used.find(source->log->file->name) == std::string::npos)
      used += (used.empty() ? "" : ", ") + source->log->file->name;
    ++result.entriesApplied;
  }
  block.fileType = static_cast<std::uint32_t>(HiveFileType::Primary);
  WriteBaseBlock(result.image, block);
  if (std::string damage = CheckHiveBins(result.image, block.hiveBinsSize); !damage.empty())
    return Refused("after the log entries, " + damage);
  result.outcome = ReplayOutcome::Replayed;
  result.format = LogFormat::New;
  result.detail = std::to_string(result.entriesApplied) + " log entries (sequence " +
                  std::to_string(*first) + " to " + std::to_string(block.secondarySequence) +
                  ") from " + used;
  return result;
}

}  // namespace hs::offline::detail
