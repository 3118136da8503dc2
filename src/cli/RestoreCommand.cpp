#include "cli/RestoreCommand.h"

#include <algorithm>
#include <ctime>
#include <optional>
#include <utility>

#include "cli/CommandLine.h"
#include "common/Text.h"
#include "findings/Report.h"
#include "restore/BackupList.h"
#include "restore/RecycledFiles.h"
#include "restore/RestoreBackup.h"
#include "restore/RestoreItems.h"
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
  bool itemsSeen = false;
  std::vector<std::size_t> items;  // --item N[,M...]
  std::vector<std::string> keys;   // each --key PATH
  bool byItems() const { return itemsSeen || !keys.empty(); }
};

// "3", "1,4,7": item numbers from 1; false for anything else.
bool ParseItemNumbers(const std::string& list, std::vector<std::size_t>& out) {
  for (const std::string& part : Split(list, ',')) {
    if (part.empty() || part.size() > 9 ||
        part.find_first_not_of("0123456789") != std::string::npos)
      return false;
    const std::size_t number = std::stoul(part);
    if (number == 0) return false;
    out.push_back(number);
  }
  return !out.empty();
}

std::optional<RestoreArguments> ParseRestoreArguments(const std::vector<std::string>& args,
                                                      std::string& error) {
  RestoreArguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    bool keySeen = false;
    if (arg == "--force" && !parsed.force) {
      parsed.force = true;
    } else if (arg == "--json" && !parsed.json) {
      parsed.json = true;
    } else if (arg == "--item") {
      if (!TakeOptionValue(args, i, parsed.itemsSeen, value, error)) return std::nullopt;
      if (!ParseItemNumbers(value, parsed.items)) {
        error = "--item needs item numbers from 1, such as 2 or 1,4,7";
        return std::nullopt;
      }
    } else if (arg == "--key") {
      if (!TakeOptionValue(args, i, keySeen, value, error)) return std::nullopt;
      parsed.keys.push_back(value);
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

std::string NumberList(const std::vector<std::size_t>& numbers) {
  std::string text;
  for (const std::size_t number : numbers)
    text += (text.empty() ? "" : ",") + std::to_string(number);
  return text;
}

// For a restore of chosen items: which, and which of the file's are still away.
std::string ItemsJson(const std::vector<std::size_t>& chosen, const RestoreOutcome& outcome) {
  return ", \"items\": [" + NumberList(chosen) +
         "], \"itemCount\": " + std::to_string(outcome.itemCount) + ", \"itemsNotBack\": [" +
         NumberList(outcome.itemsNotBack) + "]";
}

std::string RestoreJson(const RestoreRequest& request, const RestoreOutcome& outcome,
                        const std::vector<std::size_t>* chosen = nullptr) {
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
      ", \"stillInRecycleBin\": " + JsonList(outcome.stillRecycled) +
      (chosen ? ItemsJson(*chosen, outcome) : std::string()) + ", \"differences\": [";
  for (std::size_t i = 0; i < outcome.differences.size(); ++i)
    json += std::string(i ? ", " : "") + "{\"item\": " + JsonQuoted(outcome.differences[i].item) +
            ", \"problem\": " + JsonQuoted(outcome.differences[i].problem) + "}";
  return json + "]}\n";
}

std::string ItemsText(const std::vector<std::size_t>& chosen, const RestoreOutcome& outcome) {
  std::string text =
      "Items restored: " + NumberList(chosen) + " of " + std::to_string(outcome.itemCount) + "\n";
  if (!outcome.itemsNotBack.empty())
    text += "Items not in the registry: " + NumberList(outcome.itemsNotBack) + "\n";
  return text;
}

std::string RestoreText(const RestoreRequest& request, const RestoreOutcome& outcome,
                        std::string& err, const std::vector<std::size_t>* chosen = nullptr) {
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
  if (chosen) out += ItemsText(*chosen, outcome);
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

// A file's items as a restore would number them: without --force where that
// may import it, else as --force would.
std::vector<BackupFileItem> ItemsAsListed(FileSystemBackend& fs, RegistryBackend& registry,
                                          const std::string& path) {
  RestoreRequest request;
  request.file = path;
  ListedItems listed = ListBackupItems(fs, registry, request);
  if (listed.outcome.needsForce) {
    request.force = true;
    listed = ListBackupItems(fs, registry, request);
  }
  return listed.items;
}

std::string ItemJson(const BackupFileItem& item) {
  return "{\"number\": " + std::to_string(item.number) + ", \"key\": " + JsonQuoted(item.keyPath) +
         ", \"value\": " + (item.oneValue ? JsonQuoted(item.valueName) : std::string("null")) +
         ", \"putsBack\": " + JsonQuoted(item.putsBack) +
         ", \"inRegistry\": " + JsonQuoted(PresenceName(item.presence)) + "}";
}

std::string ItemsJsonList(const std::vector<BackupFileItem>& items) {
  std::string json = ", \"items\": [";
  for (std::size_t i = 0; i < items.size(); ++i)
    json += (i ? ",\n   " : "\n   ") + ItemJson(items[i]);
  return json + (items.empty() ? "]" : "\n ]");
}

std::string ItemLines(const std::vector<BackupFileItem>& items) {
  std::string text;
  for (const BackupFileItem& item : items)
    text += "  " + std::to_string(item.number) + "\t" + item.keyPath + "\t" +
            (item.oneValue ? "\"" + item.valueName + "\"" : std::string()) + "\t" + item.putsBack +
            "\t" + PresenceName(item.presence) + "\n";
  return text;
}

std::string BackupJson(FileSystemBackend& fs, RegistryBackend& registry, const std::string& folder,
                       const BackupFileEntry& file, bool withItems) {
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
         ", \"values\": " + std::to_string(preview.valueCount) + ", \"hives\": [" + hives + "]" +
         (withItems ? ItemsJsonList(ItemsAsListed(fs, registry, path)) : std::string()) + "}";
}

CommandOutput PrintedRestore(const RestoreRequest& request, const RestoreOutcome& outcome,
                             const RestoreArguments& args, const std::vector<std::size_t>* chosen) {
  CommandOutput output;
  output.exitCode = ExitCodeFor(outcome.end);
  output.out = args.json ? RestoreJson(request, outcome, chosen)
                         : RestoreText(request, outcome, output.err, chosen);
  return output;
}

// --item numbers and the items each --key names, or why a key names none.
std::string ChosenItems(const std::vector<BackupFileItem>& items, const RestoreArguments& args,
                        std::vector<std::size_t>& chosen) {
  chosen = args.items;
  for (const std::string& key : args.keys) {
    const std::vector<std::size_t> below = ItemsAtOrBelow(items, key);
    if (below.empty()) return "no item of " + args.file + " is at or below " + key;
    chosen.insert(chosen.end(), below.begin(), below.end());
  }
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  return {};
}

CommandOutput RestoreItemsCommand(FileSystemBackend& fs, RegistryBackend& registry,
                                  RegistryEditorRunner& editor, const RestoreRequest& request,
                                  const RestoreArguments& args) {
  ListedItems listed = ListBackupItems(fs, registry, request);
  if (listed.outcome.end != RestoreEnd::Restored)
    return PrintedRestore(request, listed.outcome, args, nullptr);
  std::vector<std::size_t> chosen;
  if (const std::string why = ChosenItems(listed.items, args, chosen); !why.empty()) {
    listed.outcome.end = RestoreEnd::Refused;
    listed.outcome.message = why + "; nothing was restored.";
    return PrintedRestore(request, listed.outcome, args, nullptr);
  }
  const RestoreOutcome outcome = RestoreBackupItems(fs, registry, editor, request, chosen);
  return PrintedRestore(request, outcome, args, &chosen);
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

std::string RestoreArgumentsError(const std::vector<std::string>& args) {
  std::string error;
  if (ParseRestoreArguments(args, error)) return {};
  return error.empty() ? "restore needs exactly one backup file" : error;
}

CommandOutput RunRestoreCommand(const std::vector<std::string>& args, FileSystemBackend& fs,
                                RegistryBackend& registry, RegistryEditorRunner& editor,
                                bool deleteAfter, const std::string& backupFolder,
                                const Translation& texts,
                                std::function<bool(const std::string& path)> putBack) {
  CommandOutput output;
  std::string error;
  const std::optional<RestoreArguments> parsed = ParseRestoreArguments(args, error);
  if (!parsed) {
    output.exitCode = 2;
    output.err = (error.empty() ? std::string() : "restore: " + error + "\n") +
                 "restore needs exactly one backup file (options: --force, --json, --item "
                 "N[,M...], --key PATH)\n";
    return output;
  }
  RestoreRequest request;
  request.file = parsed->file;
  request.backupFolder = backupFolder;
  request.deleteAfter = deleteAfter;
  request.texts = texts;
  request.force = parsed->force;
  request.putBack = std::move(putBack);
  if (parsed->byItems()) return RestoreItemsCommand(fs, registry, editor, request, *parsed);
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
  bool json = false, items = false;
  for (const std::string& arg : args) {
    std::string error;
    if (arg == "--json" ? TakeSwitch(arg, json, error)
                        : arg == "--items" && TakeSwitch(arg, items, error))
      continue;
    output.exitCode = 2;
    output.err = "backups takes no arguments but --json and --items\n";
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
      output.out += (i ? ",\n " : "\n ") + BackupJson(fs, registry, folder, files[i], items);
    output.out += files.empty() ? "]\n" : "\n]\n";
    return output;
  }
  for (const BackupFileEntry& file : files) {
    output.out += file.name + "\t" + LocalDateTimeText(file.modifiedUnixSeconds) + "\t" +
                  SizeText(file.size) + "\n";
    if (items) output.out += ItemLines(ItemsAsListed(fs, registry, JoinPath(folder, file.name)));
  }
  return output;
}

}  // namespace hs
