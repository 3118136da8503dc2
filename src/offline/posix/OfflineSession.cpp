#include "offline/posix/OfflineSession.h"

#include <cstdio>

#include "offline/OfflineUsage.h"
#include "offline/posix/InstallationVolume.h"

namespace hs::offline {
namespace {

int Fail(const std::string& command, const std::string& message, int exitCode) {
  std::fprintf(stderr, "hivesweep-offline %s: %s\n", command.c_str(), message.c_str());
  return exitCode;
}

bool ParseDrives(const OfflineArgs& args, char windowsLetter, std::map<char, std::string>& drives,
                 std::string& error) {
  for (const std::string& option : args.drives) {
    char letter = 0;
    std::string folder;
    if (!ParseDriveOption(option, letter, folder)) {
      error = "--drive " + option + ": no such folder";
      return false;
    }
    if (letter == windowsLetter || drives.count(letter)) {
      error = "--drive " + option + ": drive " + std::string(1, letter) + ": is given already";
      return false;
    }
    drives[letter] = folder;
  }
  return true;
}

// The 32-bit build's own key is in the 32-bit view; the engine asks for the
// 64-bit path, as that build does on its machine.
void ShowProgramKey(OfflineInstallation& installation, const InstalledProgram& program) {
  const std::string own = "SOFTWARE\\Corvane Hivesweep";
  if (program.programKey == own) return;
  if (auto layers = installation.registry().layersAt(RootKey::LocalMachine, program.programKey))
    installation.registry().mount(RootKey::LocalMachine, own, *layers);
}

void NoteStaleHives(OfflineSession& session) {
  for (const HiveUse& use : session.installation->hives())
    if (use.hive && use.state.stale()) {
      session.stale = true;
      session.notes.push_back("warning: " + use.path +
                              " is dirty and its transaction logs are missing or unusable; "
                              "read as it stands, it may be out of date");
    }
}

}  // namespace

cli::CliProcess OfflineSession::process() {
  cli::CliProcess process;
  process.programFolder = program.folder;
  process.settings = InstalledSettings(*volume, program);
  process.facts = installation->facts(user);
  // The scan is the installed build's: the x64 build on a 64-bit Windows
  // judges the paths the x86 build leaves to redirection. With no program
  // found, the x86 build's view is the cautious one.
  process.facts.wow64 = process.facts.wow64 && (program.folder.empty() || program.thirtyTwoBit);
  process.texts = Translation(*volume, process.programFolder, process.settings.Lan);
  return process;
}

std::optional<OfflineSession> OpenSession(const std::string& command, const OfflineArgs& args,
                                          bool userRequired, int& exitCode) {
  if (args.windows.empty()) {
    exitCode = OfflineBadUsage(command, "--windows DIR is needed");
    return std::nullopt;
  }
  OfflineSession session;
  std::string error;
  session.installation = OfflineInstallation::Locate(args.windows, error);
  if (!session.installation || !session.installation->openMachineHives(error)) {
    exitCode = Fail(command, error, kExitEnvironment);
    return std::nullopt;
  }
  std::map<char, std::string> drives;
  if (!ParseDrives(args, session.installation->driveLetter(), drives, error)) {
    exitCode = OfflineBadUsage(command, error);
    return std::nullopt;
  }
  session.user = session.installation->chooseUser(args.user, error);
  if (!session.user && (userRequired || !args.user.empty())) {
    exitCode = Fail(command, error, kExitUsage);
    return std::nullopt;
  }
  session.installation->mountRegistry(session.user);
  session.volume = std::make_unique<PosixFileSystem>(
      InstallationVolume(*session.installation, session.user, drives, session.notes));
  session.program = FindInstalledProgram(*session.installation, *session.volume);
  ShowProgramKey(*session.installation, session.program);
  NoteStaleHives(session);
  return session;
}

}  // namespace hs::offline
