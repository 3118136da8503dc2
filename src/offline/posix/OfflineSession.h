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
#include "offline/posix/InstalledProgram.h"
#include "offline/posix/OfflineCommands.h"
#include "offline/posix/OfflineInstallation.h"
#include "offline/posix/PosixFileSystem.h"

namespace hs::offline {

struct OfflineSession {
  std::unique_ptr<OfflineInstallation> installation;
  std::optional<Profile> user;
  std::unique_ptr<PosixFileSystem> volume;
  InstalledProgram program;
  // Lines for standard error: stale hives, guesses the hives left open.
  std::vector<std::string> notes;
  bool stale = false;  // a dirty hive was read without its logs

  cli::CliProcess process();  // settings, facts and texts
};

// Opens everything for `command` (--windows, --user, --drive of `args`).
// Nothing, with the exit code set and the message printed, on failure.
std::optional<OfflineSession> OpenSession(const std::string& command, const OfflineArgs& args,
                                          bool userRequired, int& exitCode);

}  // namespace hs::offline
