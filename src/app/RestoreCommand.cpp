#include "app/RestoreCommand.h"

#include <ctime>

#include "app/RegGlobal.h"
#include "restore/BackupList.h"
#include "restore/RestoreBackup.h"

namespace hs {
namespace {

std::string Padded(int number, std::size_t width) {
  std::string text = std::to_string(number);
  return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
}

int ExitCodeFor(RestoreEnd end) {
  switch (end) {
    case RestoreEnd::Restored: return 0;
    case RestoreEnd::BadFile: return 2;
    default: return 3;
  }
}

}  // namespace

std::string LocalDateTimeText(std::int64_t unixSeconds) {
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  const std::tm* local = std::localtime(&time);
  if (!local) return "?";
  return Padded(local->tm_year + 1900, 4) + "-" + Padded(local->tm_mon + 1, 2) + "-" +
         Padded(local->tm_mday, 2) + " " + Padded(local->tm_hour, 2) + ":" +
         Padded(local->tm_min, 2) + ":" + Padded(local->tm_sec, 2);
}

CommandOutput RunRestoreCommand(const std::vector<std::string>& args, FileSystemBackend& fs,
                                RegistryBackend& registry, RegistryEditorRunner& editor,
                                bool deleteAfter) {
  CommandOutput output;
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
    output.exitCode = 2;
    output.err = "restore needs exactly one backup file\n";
    return output;
  }
  const RestoreOutcome outcome = RestoreBackupFile(fs, registry, editor, args[0], deleteAfter);
  output.exitCode = ExitCodeFor(outcome.end);
  if (outcome.cutOff)
    output.out += "The backup file ends in an incomplete line; its intact part was restored.\n";
  if (outcome.end != RestoreEnd::Restored) {
    output.err = outcome.message + "\n";
    for (const RestoreDifference& difference : outcome.differences)
      output.out += "Differs: " + difference.item + " " + difference.problem + "\n";
    return output;
  }
  output.out += "Restored and verified: " + args[0] + "\n";
  if (outcome.fileDeleted) output.out += "The backup file was deleted.\n";
  return output;
}

CommandOutput RunBackupsCommand(const std::vector<std::string>& args, FileSystemBackend& fs,
                                const std::string& folder) {
  CommandOutput output;
  if (!args.empty()) {
    output.exitCode = 2;
    output.err = "backups takes no arguments\n";
    return output;
  }
  std::vector<BackupFileEntry> files;
  const FsStatus status = ListBackupFiles(fs, folder, files);
  if (status == FsStatus::NotFound) {
    output.err = folder + ": " +
                 GetLanString("RES_Directory_Not_Exist", "The backup directory does not exist.") +
                 "\n";
    return output;
  }
  if (status != FsStatus::Ok) {
    output.exitCode = 3;
    output.err = folder + ": the folder cannot be listed\n";
    return output;
  }
  for (const BackupFileEntry& file : files)
    output.out += file.name + "\t" + LocalDateTimeText(file.modifiedUnixSeconds) + "\t" +
                  SizeText(file.size) + "\n";
  return output;
}

}  // namespace hs
