#pragma once
// What scan and backups start from: the installation with its registry
// mounted for the chosen user, the mounted volume as the engine's file
// system, the installed program's folder and settings, and the facts and
// texts, as hivesweep-cli has them on the machine itself.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "cli/ScanProgress.h"
#include "offline/posix/InstalledProgram.h"
#include "offline/posix/OfflineCommands.h"
#include "offline/posix/OfflineInstallation.h"
#include "offline/posix/PosixFileSystem.h"
#include "offline/posix/WriteGuards.h"

namespace hs::offline {

struct OfflineSession {
  std::unique_ptr<OfflineInstallation> installation;
  std::optional<Profile> user;
  std::unique_ptr<PosixFileSystem> volume;
  InstalledProgram program;
  // Lines for standard error: stale hives, guesses the hives left open.
  std::vector<std::string> notes;
  bool stale = false;             // a dirty hive was read without its logs
  std::optional<WriteLock> lock;  // held by a run that writes

  cli::CliProcess process();  // settings, facts and texts
};

// The session's notes on standard error, each after "hivesweep-offline COMMAND: ".
void PrintSessionNotes(const std::string& command, const OfflineSession& session);

// Lines on standard error, each after "hivesweep-offline COMMAND: ".
void PrintLines(const std::string& command, const std::vector<std::string>& lines);

// The scan's progress line on standard error when it is a terminal and
// `quiet` is not set; else none.
ScanProgress::Writer TerminalProgress(bool quiet);

enum class SessionUse {
  Read,
  Write,   // the guards hold, the lock is taken, hives opened for writing
  DryRun,  // as Write, but a guard that fails is only a note and no lock is taken
};

// Opens everything for `command` (--windows, --user, --drive of `args`).
// Nothing, with the exit code set and the message printed, on failure.
std::optional<OfflineSession> OpenSession(const std::string& command, const OfflineArgs& args,
                                          bool userRequired, int& exitCode,
                                          SessionUse use = SessionUse::Read);

// The refusals of writing (read-only volume, hibernation image) and the
// lock; "" when the run may write. `lock` is taken only for a real run.
std::string GuardWriting(const OfflineInstallation& installation, SessionUse use,
                         std::optional<WriteLock>& lock);

}  // namespace hs::offline
