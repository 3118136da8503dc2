#include "offline/posix/HiveLoad.h"

#include <filesystem>

#include "common/Text.h"

namespace hs::offline {

namespace fs = std::filesystem;

std::vector<std::string> FindLogFiles(const std::string& path) {
  const fs::path primary(path);
  std::vector<std::string> found;
  std::error_code ec;
  fs::directory_iterator entries(
      primary.parent_path().empty() ? fs::path(".") : primary.parent_path(), ec);
  if (ec) return found;
  std::vector<fs::path> names;
  for (const fs::directory_entry& entry : entries) names.push_back(entry.path());
  for (const char* suffix : {".LOG1", ".LOG2", ".LOG"}) {
    const std::string wanted = primary.filename().string() + suffix;
    for (const fs::path& name : names)
      if (EqualsNoCase(name.filename().string(), wanted)) {
        found.push_back(name.string());
        break;
      }
  }
  return found;
}

std::optional<LoadedHive> LoadHive(const std::string& path, std::string& error) {
  std::optional<MappedFile> primary = MappedFile::Open(path, error);
  if (!primary) return std::nullopt;
  LoadedHive hive;
  hive.state.path = path;
  hive.state.block = ReadBaseBlock(primary->bytes());
  hive.state.logPaths = FindLogFiles(path);
  std::vector<MappedFile> logFiles;
  std::vector<std::string> logNames;
  for (const std::string& logPath : hive.state.logPaths) {
    std::string logError;  // a log that cannot be read counts as missing
    if (std::optional<MappedFile> log = MappedFile::Open(logPath, logError)) {
      logFiles.push_back(std::move(*log));
      logNames.push_back(fs::path(logPath).filename().string());
    }
  }
  std::vector<LogFile> logs;
  for (std::size_t i = 0; i < logFiles.size(); ++i)
    logs.push_back({logNames[i], logFiles[i].bytes()});
  ReplayResult replay = ReplayLogs(primary->bytes(), logs);
  hive.state.outcome = replay.outcome;
  hive.state.format = replay.format;
  hive.state.entriesApplied = replay.entriesApplied;
  hive.state.detail = replay.detail;
  if (replay.outcome != ReplayOutcome::Replayed) {
    hive.image = std::move(*primary);
    return hive;
  }
  std::optional<MappedFile> copy = MappedFile::FromBytes(std::move(replay.image), error);
  if (!copy) return std::nullopt;
  hive.image = std::move(*copy);
  return hive;
}

}  // namespace hs::offline
