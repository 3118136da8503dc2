#include "restore/RestoreDialogRules.h"

#include <algorithm>

#include "restore/RecycledFiles.h"

namespace hs {
namespace {

std::string Counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i)
    text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  return text;
}

// At most this many differing items are named; the rest are counted.
constexpr std::size_t kNamedDifferences = 5;

std::string DifferencesText(const std::vector<RestoreDifference>& differences) {
  std::string text;
  const std::size_t named = std::min(differences.size(), kNamedDifferences);
  for (std::size_t i = 0; i < named; ++i)
    text += "\r\n  " + differences[i].item + ": " + differences[i].problem;
  if (differences.size() > named)
    text += "\r\n  ... and " + std::to_string(differences.size() - named) + " more";
  return text;
}

}  // namespace

RestoreButtonPlacement PlaceRestoreButtons(const RestoreButtonRow& row) {
  RestoreButtonPlacement placed;
  placed.openWidth = std::max(row.openWidth, row.openTextWidth + 5);
  placed.itemsWidth = row.itemsWidth > 0 ? std::max(row.itemsWidth, row.itemsTextWidth + 5) : 0;
  const int gaps = row.itemsWidth > 0 ? 4 : 3;
  const int gap =
      (row.closeLeft - row.restoreRight - placed.openWidth - placed.itemsWidth - row.deleteWidth) /
      gaps;
  placed.openLeft = row.restoreRight + gap;
  placed.itemsLeft = placed.openLeft + placed.openWidth + gap;
  placed.deleteLeft = placed.itemsLeft + (placed.itemsWidth > 0 ? placed.itemsWidth + gap : 0);
  return placed;
}

int RowSelectedAfterRemoval(int removedRow, int rowsLeft) {
  if (rowsLeft <= 0) return -1;
  return std::min(std::max(removedRow, 0), rowsLeft - 1);
}

std::string UntrustedImportQuestion(const std::string& file, const RestorePreview& preview) {
  std::string adds = Counted(preview.keyCount, "key", "keys") + " and " +
                     Counted(preview.valueCount, "value", "values");
  if (!preview.hives.empty()) adds += " under " + Joined(preview.hives);
  return file + "\r\n\r\nThis file is not a backup as this program wrote it: " +
         ProvenanceText(preview.provenance) + ".\r\nImporting it would add " + adds +
         " to the registry.\r\n\r\nImport it anyway?";
}

namespace {

std::string RegistryOutcomeText(const std::string& file, const RestoreOutcome& outcome) {
  const std::string kept = "\r\n\r\nThe backup file is kept: " + file;
  switch (outcome.end) {
    case RestoreEnd::Restored:
      if (outcome.keptBecause.empty()) return {};
      return "Restored and verified. The backup file is kept: " + outcome.keptBecause + ".";
    case RestoreEnd::EditorNotStarted:
      return {};
    case RestoreEnd::Partial:
      return "Partly restored: " + outcome.message;
    case RestoreEnd::Refused:
      return "The restore was refused.\r\n\r\n" + outcome.message + kept;
    case RestoreEnd::Stopped:
      return "The restore was stopped.\r\n\r\n" + outcome.message + kept;
    case RestoreEnd::NotVerified:
      return "The restore is not verified.\r\n\r\n" + outcome.message +
             DifferencesText(outcome.differences) + kept;
    case RestoreEnd::BadFile:
    case RestoreEnd::Failed:
      break;
  }
  return "The restore failed.\r\n\r\n" + outcome.message + kept;
}

}  // namespace

std::string RestoreOutcomeText(const std::string& file, const RestoreOutcome& outcome) {
  std::string text = RegistryOutcomeText(file, outcome);
  const std::vector<std::string> lines =
      RecycledFilesLines(outcome.recycledFiles, outcome.stillRecycled);
  if (lines.empty()) return text;
  if (text.empty() && outcome.end == RestoreEnd::Restored) text = "Restored and verified.";
  if (!text.empty()) text += "\r\n";
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

std::string PresenceText(ItemPresence presence, const Translation& texts) {
  switch (presence) {
    case ItemPresence::Present:
      return texts.GetLanString("RES_Item_Present", "Yes");
    case ItemPresence::Absent:
      return texts.GetLanString("RES_Item_Absent", "No");
    case ItemPresence::Differs:
      return texts.GetLanString("RES_Item_Differs", "Differs");
  }
  return {};
}

std::string ItemValueText(const BackupFileItem& item) {
  if (!item.oneValue) return {};
  return item.valueName.empty() ? "(Default)" : item.valueName;
}

std::string ItemRestoreOutcomeText(const std::string& file, RestoreOutcome outcome) {
  if (!outcome.itemsNotBack.empty()) outcome.keptBecause.clear();
  return RestoreOutcomeText(file, outcome);
}

}  // namespace hs
