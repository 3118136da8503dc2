#include "offline/LogReplay.h"

#include <algorithm>
#include <cstring>

#include "offline/LogReplayParts.h"

namespace hs::offline {

namespace detail {

ReplayResult Refused(std::string why) {
  ReplayResult result;
  result.outcome = ReplayOutcome::LogsUnusable;
  result.detail = std::move(why);
  return result;
}

std::optional<ValidLog> CheckLog(const LogFile& log, HiveFileType type) {
  const std::optional<BaseBlock> block = ReadBaseBlock(log.bytes);
  if (!block || !block->checksumValid || block->fileType != static_cast<std::uint32_t>(type) ||
      !block->sequencesEqual())
    return std::nullopt;
  return ValidLog{&log, *block};
}

std::vector<std::uint8_t> StartImage(std::span<const std::uint8_t> primary, bool primaryValid,
                                     const ValidLog& log, std::size_t hiveBinsSize) {
  std::vector<std::uint8_t> image(std::max(primary.size(), kBaseBlockSize + hiveBinsSize));
  std::copy(primary.begin(), primary.end(), image.begin());
  if (!primaryValid) std::copy_n(log.file->bytes.begin(), kLogSectorSize, image.begin());
  return image;
}

std::string CheckHiveBins(std::span<const std::uint8_t> image, std::uint32_t hiveBinsSize) {
  const std::size_t end = kBaseBlockSize + hiveBinsSize;
  if (hiveBinsSize == 0 || image.size() < end) return "the hive bins end beyond the file";
  for (std::size_t at = kBaseBlockSize; at < end;) {
    const std::uint32_t size = at + 12 <= end ? ReadU32(image, at + 8) : 0;
    if (std::memcmp(image.data() + at, "hbin", 4) != 0 ||
        ReadU32(image, at + 4) != at - kBaseBlockSize || size < kHiveBinAlignment ||
        size % kHiveBinAlignment != 0 || size > end - at)
      return "hive bin at offset " + std::to_string(at - kBaseBlockSize) + " is damaged";
    at += size;
  }
  return {};
}

}  // namespace detail

ReplayResult ReplayLogs(std::span<const std::uint8_t> primary, const std::vector<LogFile>& logs,
                        const ReplayLimits& limits) {
  using namespace detail;
  ReplayResult result;
  const std::optional<BaseBlock> block = ReadBaseBlock(primary);
  if (!block || primary.size() < kBaseBlockSize) {
    result.detail = "not a registry hive file (no \"regf\" header)";
    return result;
  }
  if (!block->dirty()) {
    result.outcome = ReplayOutcome::Clean;
    return result;
  }
  std::vector<ValidLog> newLogs, oldLogs;
  bool anyLog = false;
  for (const LogFile& log : logs) {
    anyLog = anyLog || !log.bytes.empty();
    if (auto valid = CheckLog(log, HiveFileType::NewLog)) newLogs.push_back(*valid);
    if (auto valid = CheckLog(log, HiveFileType::OldLog)) oldLogs.push_back(*valid);
  }
  if (!anyLog) {
    result.outcome = ReplayOutcome::NoLogs;
    result.detail = "the hive is dirty and has no transaction logs";
    return result;
  }
  if (!newLogs.empty()) return ReplayNewFormat(primary, *block, newLogs, limits);
  if (!oldLogs.empty()) return ReplayOldFormat(primary, *block, oldLogs, limits);
  return Refused("no transaction log has a valid header (checksum, type, sequence numbers)");
}

const char* ReplayOutcomeName(ReplayOutcome outcome) {
  switch (outcome) {
    case ReplayOutcome::Clean:
      return "clean";
    case ReplayOutcome::Replayed:
      return "replayed";
    case ReplayOutcome::NoLogs:
      return "dirty, no logs";
    case ReplayOutcome::LogsUnusable:
      return "dirty, logs unusable";
    case ReplayOutcome::NotAHive:
      return "not a hive";
  }
  return "";
}

}  // namespace hs::offline
