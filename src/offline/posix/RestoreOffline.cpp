// hivesweep-offline restore and undo-commit. The restore is hivesweep-cli's
// (cli/RestoreCommand: line rules, provenance from the offline Backup
// Record, the check afterwards) with the hives as its registry editor. The
// backup file is kept whatever the settings say.
#include <cstdio>
#include <filesystem>

#include "cli/RestoreCommand.h"
#include "common/Text.h"
#include "offline/OfflineUsage.h"
#include "offline/posix/HiveImporter.h"
#include "offline/posix/InstallationCommit.h"
#include "offline/posix/NoCasePath.h"
#include "offline/posix/OfflineSession.h"
#include "restore/BackupList.h"

namespace hs::offline {
namespace {

// FILE as the volume names it: a Windows path stays, a path of this machine
// inside the volume's folder becomes one.
std::optional<std::string> WindowsPathOf(const OfflineInstallation& installation,
                                         const std::string& file) {
  if (file.size() >= 2 && file[1] == ':') return file;
  std::error_code ec;
  const std::string host = std::filesystem::absolute(file, ec).lexically_normal().string();
  const std::string& root = installation.volumeRoot();
  if (host.compare(0, root.size(), root) != 0 ||
      (host.size() > root.size() && host[root.size()] != '/'))
    return std::nullopt;
  std::string rest = host.substr(root.size());
  for (char& c : rest)
    if (c == '/') c = '\\';
  return std::string(1, installation.driveLetter()) + ":" + (rest.empty() ? "\\" : rest);
}

// The newest backup of the backup folder.
std::optional<std::string> LatestBackup(FileSystemBackend& files, const std::string& folder) {
  std::vector<BackupFileEntry> backups;
  if (ListBackupFiles(files, folder, backups) != FsStatus::Ok || backups.empty())
    return std::nullopt;
  return JoinPath(folder, backups.front().name);
}

// "" when the arguments name one file, else what is wrong.
std::string FileChoiceError(const OfflineArgs& parsed) {
  if (parsed.latest == !parsed.rest.empty()) return "name one backup FILE or --latest";
  if (parsed.rest.size() > 1) return "only one backup FILE is restored at a time";
  return "";
}

std::optional<std::string> ChooseFile(const OfflineArgs& parsed, OfflineSession& session,
                                      const std::string& folder, std::string& error) {
  if (parsed.latest) {
    std::optional<std::string> latest = LatestBackup(*session.volume, folder);
    if (!latest) error = "the backup folder " + folder + " holds no backup";
    return latest;
  }
  std::optional<std::string> file = WindowsPathOf(*session.installation, parsed.rest.front());
  if (!file)
    error = parsed.rest.front() +
            " is not on the Windows volume; copy it there, or map its folder with --drive D=DIR "
            "and name it D:\\...";
  return file;
}

// The console restore's choice of items (--item N[,M...], --key PATH, each
// with its value) goes to it as given; the rest is this program's.
void SplitItemOptions(const std::vector<std::string>& args, std::vector<std::string>& own,
                      std::vector<std::string>& items) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool itemOption = args[i] == "--item" || args[i] == "--key";
    (itemOption ? items : own).push_back(args[i]);
    if (itemOption && i + 1 < args.size()) items.push_back(args[++i]);
  }
}

}  // namespace

int RunRestoreOffline(const std::vector<std::string>& args) {
  std::vector<std::string> own, items;
  SplitItemOptions(args, own, items);
  const OfflineArgs parsed = ParseOfflineArgs(own, {"--windows", "--user", "--drive", "--dry-run",
                                                    "--latest", "--force", "--json", "FILE"});
  if (!parsed.error.empty()) return OfflineBadUsage("restore", parsed.error);
  if (const std::string wrong = FileChoiceError(parsed); !wrong.empty())
    return OfflineBadUsage("restore", wrong);
  // Checked by the console's own parser before anything is opened; the file
  // is chosen below.
  std::vector<std::string> itemCheck = items;
  itemCheck.push_back("FILE");
  if (const std::string wrong = RestoreArgumentsError(itemCheck); !wrong.empty())
    return OfflineBadUsage("restore", wrong);
  int exitCode = kExitOk;
  std::optional<OfflineSession> session = OpenSession(
      "restore", parsed, false, exitCode, parsed.dryRun ? SessionUse::DryRun : SessionUse::Write);
  if (!session) return exitCode;
  PrintSessionNotes("restore", *session);
  const cli::CliProcess process = session->process();
  const std::string folder = process.settings.OutputDirectory;
  std::string error;
  const std::optional<std::string> file = ChooseFile(parsed, *session, folder, error);
  if (!file) {
    std::fprintf(stderr, "hivesweep-offline restore: %s\n", error.c_str());
    return parsed.latest ? kExitEnvironment : kExitUsage;
  }
  std::vector<std::string> restoreArgs{*file};
  if (parsed.force) restoreArgs.push_back("--force");
  if (parsed.json) restoreArgs.push_back("--json");
  restoreArgs.insert(restoreArgs.end(), items.begin(), items.end());
  OfflineRegistry& registry = session->installation->registry();
  HiveImporter importer(registry, session->volume->ansiCodePage());
  // The backup file is always kept: undo-commit can take this restore back,
  // and the file is then the only way to restore again.
  const CommandOutput output = RunRestoreCommand(restoreArgs, *session->volume, registry, importer,
                                                 false, folder, process.texts);
  std::fputs(output.out.c_str(), stdout);
  std::fputs(output.err.c_str(), stderr);
  PrintLines("restore", RefusalLines(registry));
  const InstallationCommit commit = CommitInstallation(*session->installation, parsed.dryRun);
  PrintLines("restore", commit.lines);
  if (parsed.dryRun) PrintLines("restore", {"dry run: nothing was written"});
  if (commit.failed) return kExitEnvironment;
  if (output.exitCode == kExitOk && !parsed.json)
    std::printf("The backup file is kept (undo-commit can take this restore back).\n");
  // Items the hives refused are what kept the restore from being whole.
  if (output.exitCode == kExitEnvironment && !registry.refusals().empty()) return kExitStale;
  return output.exitCode;
}

int RunUndoCommit(const std::vector<std::string>& args) {
  const OfflineArgs parsed = ParseOfflineArgs(args, {"--windows", "--force"});
  if (!parsed.error.empty()) return OfflineBadUsage("undo-commit", parsed.error);
  if (parsed.windows.empty()) return OfflineBadUsage("undo-commit", "--windows DIR is needed");
  std::string error;
  std::unique_ptr<OfflineInstallation> installation =
      OfflineInstallation::Locate(parsed.windows, error);
  std::optional<WriteLock> lock;
  if (installation) error = GuardWriting(*installation, SessionUse::Write, lock);
  if (!installation || !error.empty()) {
    PrintLines("undo-commit", {error});
    return kExitEnvironment;
  }
  // The profiles' hives are found through SOFTWARE; the machine's are in
  // the config folder whatever SOFTWARE holds.
  std::vector<std::string> hives;
  for (const char* name : {"SOFTWARE", "SYSTEM", "DEFAULT"})
    if (auto path = FindNoCase(installation->configFolder(), {name})) hives.push_back(*path);
  if (installation->openMachineHives(error))
    for (const Profile& profile : installation->profiles())
      for (const std::string& path : {profile.ntuserPath, profile.usrClassPath})
        if (!path.empty()) hives.push_back(path);
  if (const std::string busy = OpenedElsewhereRefusal(hives); !busy.empty()) {
    PrintLines("undo-commit", {busy});
    return kExitEnvironment;
  }
  int exitCode = kExitOk;
  bool any = false;
  for (const std::string& hive : hives) {
    const UndoResult undo = UndoCommit(hive, parsed.force);
    if (undo.message.empty()) continue;
    any = true;
    std::printf("%s\n", undo.message.c_str());
    if (!undo.undone) exitCode = kExitEnvironment;
  }
  if (!any) std::printf("Nothing to undo: no hive has a kept copy (.hsbak) beside it.\n");
  return exitCode;
}

}  // namespace hs::offline
