#pragma once
// Loads one hive file for reading: its base block judged, its transaction
// logs (.LOG1, .LOG2, .LOG beside it, in any letter case) found and, when
// it is dirty, replayed into a private in-memory copy. Nothing is opened
// for writing.
#include <optional>
#include <string>
#include <vector>

#include "offline/BaseBlock.h"
#include "offline/LogReplay.h"
#include "offline/posix/MappedFile.h"

namespace hs::offline {

struct HiveState {
  std::string path;
  std::optional<BaseBlock> block;     // the primary's; nothing: not a hive
  std::vector<std::string> logPaths;  // found beside it, in the order tried
  ReplayOutcome outcome = ReplayOutcome::NotAHive;
  LogFormat format = LogFormat::None;
  unsigned entriesApplied = 0;
  std::string detail;

  bool dirty() const { return block && block->dirty(); }
  // Dirty, and read as the primary stands: its newest changes may be missing.
  bool stale() const {
    return outcome == ReplayOutcome::NoLogs || outcome == ReplayOutcome::LogsUnusable;
  }
};

struct LoadedHive {
  HiveState state;
  MappedFile image;  // the primary, or its replayed copy
};

// The log files beside `path`, matched without regard to case.
std::vector<std::string> FindLogFiles(const std::string& path);

// Nothing, with `error` set, when the file cannot be opened or read.
std::optional<LoadedHive> LoadHive(const std::string& path, std::string& error);

}  // namespace hs::offline
