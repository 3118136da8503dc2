#pragma once
// Writing a hive's edits to its file, all or nothing, and taking that back.
//
// A commit writes the whole hive to a new file beside it (<hive>.hsnew,
// created exclusively), gives it a fresh base block (both sequence numbers
// one above any the old file or its logs reached, the time of writing,
// Windows' checksum), flushes it and reads it back; keeps the old primary as
// <hive>.hsbak with its logs as <hive>.hsbak.LOG1... (hard links, else
// flushed copies; an earlier .hsbak is replaced); then renames the new file
// over the primary and flushes the folder. Only then are the old logs
// removed: the new primary is clean and complete, and a hive without logs
// is one Windows accepts (it makes fresh ones). A failure before the rename
// leaves the old primary and its logs as they were.
#include <functional>
#include <string>

#include "offline/posix/HiveFile.h"

namespace hs::offline {

// The steps of a commit in order; tests make one of them fail.
enum class CommitStep { WriteNew, KeepOld, Replace, SetLogsAside };

struct CommitHooks {
  // Asked before each step; true makes the step fail as if the system refused.
  std::function<bool(CommitStep)> failBefore;
};

struct CommitResult {
  bool committed = false;
  std::string error;   // why not, or what went wrong after the rename
  std::string keptAs;  // the old primary's new name
};

std::string NewFileOf(const std::string& hive);
std::string KeptFileOf(const std::string& hive);

// Commits a changed hive; refuses a poisoned one, one opened for reading and
// SAM and SECURITY.
CommitResult CommitHive(HiveFile& hive, const CommitHooks& hooks = {});

// An interrupted commit's unfinished new file beside `hive`: removed, and
// the sentence that tells the user; "" when there was none.
std::string ClearInterruptedCommit(const std::string& hive);

struct UndoResult {
  bool undone = false;
  std::string message;  // what was done, or why not
};

// Puts <hive>.hsbak (and its logs) back in place of `hive`. Refused, unless
// `force`, when the primary is no longer the file the commit wrote (Windows
// has written it since). Nothing to do when there is no .hsbak.
UndoResult UndoCommit(const std::string& hive, bool force);

}  // namespace hs::offline
