#include "offline/posix/HiveCommit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "common/Text.h"
#include "offline/posix/UniqueFd.h"

namespace hs::offline {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
constexpr std::size_t kLastWrittenOffset = 12;

std::string SystemError(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

bool Exists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

bool SyncFolderOf(const std::string& path) {
  const fs::path parent = fs::path(path).parent_path();
  const UniqueFd folder(
      ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return folder && ::fsync(folder.get()) == 0;
}

// A log of `hive` and the suffix its name has after the hive's own name.
struct LogName {
  std::string path;
  std::string suffix;  // ".LOG1" as the file spells it
};

std::vector<LogName> LogsOf(const std::string& hive) {
  const std::size_t nameLength = fs::path(hive).filename().string().size();
  std::vector<LogName> logs;
  for (std::string& log : FindLogFiles(hive))
    logs.push_back({log, fs::path(log).filename().string().substr(nameLength)});
  return logs;
}

bool IsNeverWritten(const std::string& hive) {
  const std::string name = fs::path(hive).filename().string();
  return EqualsNoCase(name, "SAM") || EqualsNoCase(name, "SECURITY");
}

// One above every sequence number the old file and what was read of it
// (its replayed logs) reached: the new file is newer than all of them.
std::uint32_t NextSequence(const std::optional<BaseBlock>& primary,
                           const std::optional<BaseBlock>& image) {
  std::uint32_t highest = 0;
  for (const std::optional<BaseBlock>& block : {primary, image})
    if (block) highest = std::max({highest, block->primarySequence, block->secondarySequence});
  return highest + 1;
}

bool CopyFile(const std::string& from, const std::string& to) {
  const UniqueFd in(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  const UniqueFd out(
      ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!in || !out) return false;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out.get(), buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += put;
    }
  }
  return ::fsync(out.get()) == 0;
}

// `to` becomes a second name of `from` (or a flushed copy where the file
// system has no hard links); whatever `to` was goes first.
bool KeepAs(const std::string& from, const std::string& to) {
  if (::unlink(to.c_str()) != 0 && errno != ENOENT) return false;
  return ::link(from.c_str(), to.c_str()) == 0 || CopyFile(from, to);
}

// The base block hivex wrote gets the sequence numbers, time and checksum
// Windows expects of a clean hive; then the file is flushed.
bool FinishNewFile(const std::string& path, std::uint32_t sequence, std::string& error) {
  const UniqueFd file(::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
  std::vector<std::uint8_t> header(kBaseBlockSize);
  if (!file ||
      ::pread(file.get(), header.data(), header.size(), 0) != static_cast<ssize_t>(header.size())) {
    error = SystemError("the new hive file cannot be read back");
    return false;
  }
  std::optional<BaseBlock> block = ReadBaseBlock(header);
  if (!block) {
    error = "the new hive file has no base block";
    return false;
  }
  block->primarySequence = block->secondarySequence = sequence;
  const std::uint64_t now =
      static_cast<std::uint64_t>(std::time(nullptr)) * 10000000ull + kUnixEpochAsFileTime;
  WriteU32(header, kLastWrittenOffset, static_cast<std::uint32_t>(now));
  WriteU32(header, kLastWrittenOffset + 4, static_cast<std::uint32_t>(now >> 32));
  WriteBaseBlock(header, *block);
  if (::pwrite(file.get(), header.data(), header.size(), 0) !=
          static_cast<ssize_t>(header.size()) ||
      ::fsync(file.get()) != 0) {
    error = SystemError("the new hive file cannot be written");
    return false;
  }
  return true;
}

// Reads the new file as the next reader will: a clean base block and a hive
// hivex opens.
bool CheckNewFile(const std::string& path, std::string& error) {
  std::optional<LoadedHive> loaded = LoadHive(path, error);
  if (!loaded) return false;
  if (!loaded->state.block || loaded->state.dirty()) {
    error = "the new hive file does not read back clean";
    return false;
  }
  return HiveFile::Open(std::move(*loaded), error) != nullptr;
}

bool WriteNew(HiveFile& hive, const std::string& newPath, std::string& error) {
  {
    // Created exclusively: hivex truncates what it writes to.
    const UniqueFd made(
        ::open(newPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!made) {
      error = SystemError("cannot create " + newPath);
      return false;
    }
  }
  if (!hive.writeImage(newPath)) {
    error = SystemError("hivex could not write " + newPath);
    return false;
  }
  const std::uint32_t sequence = NextSequence(hive.state().block, hive.imageBlock());
  return FinishNewFile(newPath, sequence, error) && CheckNewFile(newPath, error);
}

bool KeepOld(const std::string& path, const std::vector<LogName>& logs, std::string& error) {
  const std::string kept = KeptFileOf(path);
  for (const std::string& old : FindLogFiles(kept)) ::unlink(old.c_str());
  bool ok = KeepAs(path, kept);
  for (const LogName& log : logs) ok = ok && KeepAs(log.path, kept + log.suffix);
  if (ok && SyncFolderOf(path)) return true;
  error = SystemError("the old hive cannot be kept as " + kept);
  return false;
}

bool Failing(const CommitHooks& hooks, CommitStep step) {
  if (hooks.failBefore && hooks.failBefore(step)) {
    errno = EIO;
    return true;
  }
  return false;
}

}  // namespace

std::string NewFileOf(const std::string& hive) {
  return hive + ".hsnew";
}

std::string KeptFileOf(const std::string& hive) {
  return hive + ".hsbak";
}

CommitResult CommitHive(HiveFile& hive, const CommitHooks& hooks) {
  CommitResult result;
  const std::string& path = hive.state().path;
  if (IsNeverWritten(path)) {
    result.error = path + " is never written";
    return result;
  }
  if (!hive.writable() || hive.poisoned()) {
    result.error = hive.poisoned() ? path + " had a failed write: nothing of it is written"
                                   : hive.readOnlyReason();
    return result;
  }
  if (!hive.changed()) return result;
  const std::string newPath = NewFileOf(path);
  const std::vector<LogName> logs = LogsOf(path);
  const auto abandon = [&](const std::string& error) {
    ::unlink(newPath.c_str());
    result.error = error + "; " + path + " is unchanged";
    return result;
  };
  std::string error;
  if (Failing(hooks, CommitStep::WriteNew) || !WriteNew(hive, newPath, error))
    return abandon(error.empty() ? SystemError("cannot write " + newPath) : error);
  if (Failing(hooks, CommitStep::KeepOld) || !KeepOld(path, logs, error))
    return abandon(error.empty() ? SystemError("cannot keep the old hive") : error);
  if (Failing(hooks, CommitStep::Replace) || ::rename(newPath.c_str(), path.c_str()) != 0)
    return abandon(SystemError("cannot replace " + path));
  result.committed = true;
  result.keptAs = KeptFileOf(path);
  if (!SyncFolderOf(path))
    result.error = SystemError("the folder of " + path + " cannot be flushed");
  // The old logs belong to the kept copy now; the new primary needs none.
  bool logsGone = !Failing(hooks, CommitStep::SetLogsAside);
  for (const LogName& log : logs) logsGone = logsGone && ::unlink(log.path.c_str()) == 0;
  if (!logsGone)
    result.error = "the old transaction logs of " + path +
                   " could not all be removed; the hive is clean, so Windows does not replay them";
  SyncFolderOf(path);
  return result;
}

std::string ClearInterruptedCommit(const std::string& hive) {
  const std::string leftover = NewFileOf(hive);
  if (!Exists(leftover)) return "";
  const bool removed = ::unlink(leftover.c_str()) == 0;
  return "an earlier commit of " + hive + " stopped before it replaced the file: " + hive +
         " is as it was before that run" +
         (removed ? "; its unfinished copy " + leftover + " was removed"
                  : "; its unfinished copy " + leftover + " could not be removed");
}

UndoResult UndoCommit(const std::string& hive, bool force) {
  UndoResult result;
  const std::string kept = KeptFileOf(hive);
  if (!Exists(kept)) return result;
  std::string error;
  std::optional<LoadedHive> old = LoadHive(kept, error);
  std::optional<LoadedHive> now = LoadHive(hive, error);
  const std::optional<BaseBlock> oldImage = old ? ReadBaseBlock(old->image.bytes()) : std::nullopt;
  const bool ours = old && now && now->state.block && !now->state.dirty() &&
                    now->state.block->primarySequence == NextSequence(old->state.block, oldImage);
  if (!ours && !force) {
    result.message = hive +
                     " is no longer the file hivesweep-offline wrote (Windows may have written "
                     "it since): not put back; undo-commit --force puts " +
                     kept + " back anyway, losing those later changes";
    return result;
  }
  ::unlink(NewFileOf(hive).c_str());
  const std::size_t keptLength = fs::path(kept).filename().string().size();
  for (const LogName& log : LogsOf(hive)) ::unlink(log.path.c_str());
  for (const std::string& log : FindLogFiles(kept)) {
    const std::string suffix = fs::path(log).filename().string().substr(keptLength);
    if (::rename(log.c_str(), (hive + suffix).c_str()) != 0) {
      result.message = SystemError("cannot put back " + log);
      return result;
    }
  }
  if (::rename(kept.c_str(), hive.c_str()) != 0 || !SyncFolderOf(hive)) {
    result.message = SystemError("cannot put back " + kept);
    return result;
  }
  result.undone = true;
  result.message = hive + " is back as it was before the last commit";
  return result;
}

}  // namespace hs::offline
