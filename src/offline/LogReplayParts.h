#pragma once
// The pieces of the log replay shared by its two formats (internal).
#include <optional>
#include <string>

#include "offline/BaseBlock.h"
#include "offline/LogReplay.h"

namespace hs::offline::detail {

// A log whose own base block checks out: the right type, a good checksum and
// equal sequence numbers (a log written whole).
struct ValidLog {
  const LogFile* file;
  BaseBlock block;
};

std::optional<ValidLog> CheckLog(const LogFile& log, HiveFileType type);

// The replay's starting point: the primary's base block when its checksum
// holds, else the first sector of `log`'s (the primary's own is damaged).
std::vector<std::uint8_t> StartImage(std::span<const std::uint8_t> primary, bool primaryValid,
                                     const ValidLog& log, std::size_t hiveBinsSize);

// Every hive bin from the first to the size in the base block: signature,
// offset and size agree. An empty string when they do, else what is wrong.
std::string CheckHiveBins(std::span<const std::uint8_t> image, std::uint32_t hiveBinsSize);

ReplayResult ReplayNewFormat(std::span<const std::uint8_t> primary, const BaseBlock& primaryBlock,
                             const std::vector<ValidLog>& logs, const ReplayLimits& limits);
ReplayResult ReplayOldFormat(std::span<const std::uint8_t> primary, const BaseBlock& primaryBlock,
                             const std::vector<ValidLog>& logs, const ReplayLimits& limits);

ReplayResult Refused(std::string why);

}  // namespace hs::offline::detail
