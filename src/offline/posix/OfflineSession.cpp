#include "offline/posix/OfflineSession.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "offline/OfflineUsage.h"
#include "offline/posix/HiveCommit.h"
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

// Another program's hold on a hive, and what an interrupted commit left.
bool CheckHives(const std::string& command, OfflineSession& session, SessionUse use) {
  std::vector<std::string> paths;
  for (const HiveUse& use_ : session.installation->hives()) paths.push_back(use_.path);
  if (const std::string busy = OpenedElsewhereRefusal(paths); !busy.empty()) {
    if (use == SessionUse::DryRun) {
      session.notes.push_back("a real run would be refused: " + busy);
    } else {
      Fail(command, busy, kExitEnvironment);
      return false;
    }
  }
  if (use == SessionUse::Write)
    for (const std::string& path : paths)
      if (std::string note = ClearInterruptedCommit(path); !note.empty())
        session.notes.push_back(std::move(note));
  return true;
}

}  // namespace

std::string GuardWriting(const OfflineInstallation& installation, SessionUse use,
                         std::optional<WriteLock>& lock) {
  std::string refusal = ReadOnlyRefusal(installation.configFolder());
  if (refusal.empty()) refusal = HibernationRefusal(installation.volumeRoot());
  if (refusal.empty() && use == SessionUse::Write)
    lock = WriteLock::Take(installation.configFolder(), refusal);
  return refusal;
}

void PrintLines(const std::string& command, const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    std::fprintf(stderr, "hivesweep-offline %s: %s\n", command.c_str(), line.c_str());
}

void PrintSessionNotes(const std::string& command, const OfflineSession& session) {
  PrintLines(command, session.notes);
}

ScanProgress::Writer TerminalProgress(bool quiet) {
  if (quiet || !::isatty(STDERR_FILENO)) return {};
  return [](const std::string& text) { std::fputs(text.c_str(), stderr); };
}

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
                                          bool userRequired, int& exitCode, SessionUse use) {
  if (args.windows.empty()) {
    exitCode = OfflineBadUsage(command, "--windows DIR is needed");
    return std::nullopt;
  }
  OfflineSession session;
  std::string error;
  session.installation = OfflineInstallation::Locate(args.windows, error);
  if (session.installation && use != SessionUse::Read) {
    if (std::string refusal = GuardWriting(*session.installation, use, session.lock);
        !refusal.empty()) {
      if (use == SessionUse::Write) {
        exitCode = Fail(command, refusal, kExitEnvironment);
        return std::nullopt;
      }
      session.notes.push_back("a real run would be refused: " + refusal);
    }
    session.installation->openForWriting();
  }
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
  if (use != SessionUse::Read && !CheckHives(command, session, use)) {
    exitCode = kExitEnvironment;
    return std::nullopt;
  }
  OfflineVolume volume =
      InstallationVolume(*session.installation, session.user, drives, session.notes);
  volume.writable = use == SessionUse::Write;
  if (use != SessionUse::Read) {
    const char* tmp = std::getenv("TMPDIR");
    volume.hostTempFolder = tmp && *tmp ? tmp : "/tmp";
  }
  session.volume = std::make_unique<PosixFileSystem>(std::move(volume));
  session.program = FindInstalledProgram(*session.installation, *session.volume);
  ShowProgramKey(*session.installation, session.program);
  NoteStaleHives(session);
  return session;
}

}  // namespace hs::offline
