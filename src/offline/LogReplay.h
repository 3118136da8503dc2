#pragma once
// Transaction-log replay: a dirty hive (its base block's sequence numbers
// differ, or its checksum is wrong) has its newest changes only in its logs
// (.LOG1/.LOG2, or .LOG). The replay applies them as Windows does at load
// time, to a private copy in memory; the primary file is never written.
// Anything that does not match or does not check out is refused, never
// guessed: the caller then reads the primary as it stands, with a warning.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace hs::offline {

struct LogFile {
  std::string name;  // for messages: the file's name as found
  std::span<const std::uint8_t> bytes;
};

enum class ReplayOutcome {
  Clean,         // not dirty: the primary is read as it is
  Replayed,      // `image` holds the recovered hive
  NoLogs,        // dirty, and no log file (or only empty ones)
  LogsUnusable,  // dirty, and the logs are damaged or do not match it
  NotAHive,      // no regf base block at all
};

enum class LogFormat { None, Old, New };

struct ReplayResult {
  ReplayOutcome outcome = ReplayOutcome::NotAHive;
  LogFormat format = LogFormat::None;
  std::vector<std::uint8_t> image;  // Replayed only
  unsigned entriesApplied = 0;      // new format: log entries; old: dirty pages
  std::string detail;               // what was applied, or why nothing was
};

struct ReplayLimits {
  // A log may grow the hive; a size beyond this is taken as damage.
  std::uint64_t maxHiveBinsSize = std::uint64_t{1} << 31;
};

ReplayResult ReplayLogs(std::span<const std::uint8_t> primary, const std::vector<LogFile>& logs,
                        const ReplayLimits& limits = {});

const char* ReplayOutcomeName(ReplayOutcome outcome);

}  // namespace hs::offline
