#include "cli/RestoreCommand.h"

#include <ctime>
#include <optional>
#include <utility>

#include "common/Text.h"
#include "findings/Report.h"
#include "restore/BackupList.h"
#include "restore/RecycledFiles.h"
#include "restore/RestoreBackup.h"
#include "restore/RestorePreview.h"

namespace hs {
namespace {

std::string Padded(int number, std::size_t width) {
  std::string text = std::to_string(number);
  return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
}

int ExitCodeFor(RestoreEnd end) {
  switch (end) {
    case RestoreEnd::Restored:
      return 0;
    case RestoreEnd::Partial:
      return kExitPartiallyRestored;
    case RestoreEnd::Refused:
    case RestoreEnd::BadFile:
      return 2;
    default:
      return 3;
  }
}

const char* OutcomeName(RestoreEnd end) {
  switch (end) {
    case RestoreEnd::Restored:
      return "restored";
    case RestoreEnd::Partial:
      return "partially restored";
    case RestoreEnd::Refused:
      return "refused";
    case RestoreEnd::BadFile:
      return "bad file";
    case RestoreEnd::EditorNotStarted:
      return "editor not started";
    case RestoreEnd::Stopped:
      return "stopped";
    case RestoreEnd::NotVerified:
      return "not verified";
    case RestoreEnd::Failed:
      return "failed";
  }
  return "failed";
}

const char* ProvenanceName(Provenance provenance) {
  switch (provenance) {
    case Provenance::Recorded:
      return "recorded";
    case Provenance::RecordedPrefix:
      return "recorded in part";
    case Provenance::NotRecorded:
      return "not recorded";
    case Provenance::Changed:
      return "changed";
  }
  return "not recorded";
}

struct RestoreArguments {
  std::string file;
  bool force = false;
  bool json = false;
};

std::optional<RestoreArguments> ParseRestoreArguments(const std::vector<std::string>& args) {
  RestoreArguments parsed;
  for (const std::string& arg : args) {
    if (arg == "--force" && !parsed.force) {
      parsed.force = true;
    } else if (arg == "--json" && !parsed.json) {
      parsed.json = true;
    } else if (arg.empty() || arg[0] == '-' || !parsed.file.empty()) {
      return std::nullopt;
    } else {
      parsed.file = arg;
    }
  }
  if (parsed.file.empty()) return std::nullopt;
  return parsed;
}

std::string JsonList(const std::vector<std::string>& items) {
  std::string json = "[";
  for (std::size_t i = 0; i < items.size(); ++i) json += (i ? ", " : "") + JsonQuoted(items[i]);
  return json + "]";
}

std::string RecycledFilesReport(const RestoreOutcome& outcome) {
  std::string out;
  for (const std::string& line : RecycledFilesLines(outcome.recycledFiles, outcome.stillRecycled))
    out += line + "\n";
  return out;
}

std::string RestoreJson(const RestoreRequest& request, const RestoreOutcome& outcome) {
  std::string json =
      "{\"file\": " + JsonQuoted(request.file) +
      ", \"outcome\": " + JsonQuoted(OutcomeName(outcome.end)) +
      ", \"exitCode\": " + std::to_string(ExitCodeFor(outcome.end)) +
      ", \"reason\": " + JsonQuoted(outcome.message) +
      ", \"provenance\": " + JsonQuoted(ProvenanceName(outcome.provenance.provenance)) +
      ", \"needsForce\": " + (outcome.needsForce ? "true" : "false") +
      ", \"cutOff\": " + (outcome.cutOff ? "true" : "false") +
      ", \"deleted\": " + (outcome.fileDeleted ? "true" : "false") +
      ", \"keptBecause\": " + JsonQuoted(outcome.keptBecause) +
      ", \"recycledFiles\": " + JsonList(outcome.recycledFiles) +
      ", \"stillInRecycleBin\": " + JsonList(outcome.stillRecycled) + ", \"differences\": [";
  for (std::size_t i = 0; i < outcome.differences.size(); ++i)
    json += std::string(i ? ", " : "") + "{\"item\": " + JsonQuoted(outcome.differences[i].item) +
            ", \"problem\": " + JsonQuoted(outcome.differences[i].problem) + "}";
  return json + "]}\n";
}

std::string RestoreText(const RestoreRequest& request, const RestoreOutcome& outcome,
                        std::string& err) {
  std::string out;
  if (outcome.end != RestoreEnd::Restored) {
    err = outcome.message + "\n";
    if (outcome.needsForce)
      err += "Run \"restore --force " + request.file + "\" to import it anyway.\n";
    if (outcome.end == RestoreEnd::Partial) out += "Partially restored: " + request.file + "\n";
    for (const RestoreDifference& difference : outcome.differences)
      out += "Differs: " + difference.item + " " + difference.problem + "\n";
    return out + RecycledFilesReport(outcome);
  }
  if (outcome.cutOff)
    out += "The backup file ends in an incomplete line; its intact part was restored.\n";
  out += "Restored and verified: " + request.file + "\n";
  if (outcome.fileDeleted) out += "The backup file was deleted.\n";
  if (!outcome.keptBecause.empty())
    out += "The backup file was kept: " + outcome.keptBecause + ".\n";
  return out + RecycledFilesReport(outcome);
}

// A listed file's outcome as a restore without --force would meet it.
std::pair<const char*, std::string> ListedOutcome(const RestorePreview& preview) {
  if (!preview.refusal.empty()) return {"refused", preview.refusal};
  switch (preview.provenance.provenance) {
    case Provenance::Recorded:
      if (preview.cutOff) return {"partly restorable", "the file ends in an incomplete line"};
      return {"restorable", ""};
    case Provenance::RecordedPrefix:
      return {"partly restorable", ProvenanceText(preview.provenance)};
    default:
      return {"needs --force", ProvenanceText(preview.provenance)};
  }
}

std::string BackupJson(FileSystemBackend& fs, RegistryBackend& registry, const std::string& folder,
                       const BackupFileEntry& file) {
  const std::string path = JoinPath(folder, file.name);
  const RestorePreview preview = PreviewRestore(fs, registry, path);
  const auto [outcome, reason] = ListedOutcome(preview);
  std::string hives;
  for (const std::string& hive : preview.hives)
    hives += (hives.empty() ? "" : ", ") + JsonQuoted(hive);
  return "{\"file\": " + JsonQuoted(file.name) + ", \"path\": " + JsonQuoted(path) +
         ", \"modified\": " + JsonQuoted(LocalDateTimeText(file.modifiedUnixSeconds)) +
         ", \"size\": " + std::to_string(file.size) + ", \"outcome\": " + JsonQuoted(outcome) +
         ", \"reason\": " + JsonQuoted(reason) + ", \"keys\": " + std::to_string(preview.keyCount) +
         ", \"values\": " + std::to_string(preview.valueCount) + ", \"hives\": [" + hives + "]}";
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
                                bool deleteAfter, const std::string& backupFolder,
                                const Translation& texts,
                                std::function<bool(const std::string& path)> putBack) {
  CommandOutput output;
  const std::optional<RestoreArguments> parsed = ParseRestoreArguments(args);
  if (!parsed) {
    output.exitCode = 2;
    output.err = "restore needs exactly one backup file (options: --force, --json)\n";
    return output;
  }
  RestoreRequest request;
  request.file = parsed->file;
  request.backupFolder = backupFolder;
  request.deleteAfter = deleteAfter;
  request.texts = texts;
  request.force = parsed->force;
  request.putBack = std::move(putBack);
  const RestoreOutcome outcome = RestoreBackupFile(fs, registry, editor, request);
  output.exitCode = ExitCodeFor(outcome.end);
  output.out =
      parsed->json ? RestoreJson(request, outcome) : RestoreText(request, outcome, output.err);
  return output;
}

CommandOutput RunBackupsCommand(const std::vector<std::string>& args, FileSystemBackend& fs,
                                RegistryBackend& registry, const std::string& folder,
                                const Translation& texts) {
  CommandOutput output;
  const bool json = args.size() == 1 && args[0] == "--json";
  if (!args.empty() && !json) {
    output.exitCode = 2;
    output.err = "backups takes no arguments but --json\n";
    return output;
  }
  std::vector<BackupFileEntry> files;
  const FsStatus status = ListBackupFiles(fs, folder, files);
  if (status == FsStatus::NotFound) {
    output.err =
        folder + ": " +
        texts.GetLanString("RES_Directory_Not_Exist", "The backup directory does not exist.") +
        "\n";
    if (json) output.out = "[]\n";
    return output;
  }
  if (status != FsStatus::Ok) {
    output.exitCode = 3;
    output.err = folder + ": the folder cannot be listed\n";
    return output;
  }
  if (json) {
    output.out = "[";
    for (std::size_t i = 0; i < files.size(); ++i)
      output.out += (i ? ",\n " : "\n ") + BackupJson(fs, registry, folder, files[i]);
    output.out += files.empty() ? "]\n" : "\n]\n";
    return output;
  }
  for (const BackupFileEntry& file : files)
    output.out += file.name + "\t" + LocalDateTimeText(file.modifiedUnixSeconds) + "\t" +
                  SizeText(file.size) + "\n";
  return output;
}

}  // namespace hs
