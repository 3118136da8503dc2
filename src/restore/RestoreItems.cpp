#include "restore/RestoreItems.h"

#include <algorithm>

#include "regfile/RegFileLineRules.h"
#include "restore/RestoreSteps.h"

namespace hs {
namespace {

bool ReadItems(FileSystemBackend& fs, RegistryBackend& registry, const RestoreRequest& request,
               ImportablePart& part, std::vector<BackupFileItem>& items, RestoreOutcome& outcome) {
  if (!ReadImportablePart(fs, registry, request, part, outcome)) return false;
  std::string error;
  if (SplitIntoItems(part.bytes, fs.ansiCodePage(), items, error)) return true;
  outcome.end = RestoreEnd::BadFile;
  outcome.message = request.file + " is not a registry file (" + error + ").";
  return false;
}

// Empty when every number names an item; otherwise why not.
std::string WhyNotItems(const std::vector<std::size_t>& numbers, std::size_t count,
                        const std::string& file) {
  if (numbers.empty()) return "No item of " + file + " was chosen.";
  for (const std::size_t number : numbers)
    if (number == 0 || number > count)
      return file + " has " + std::to_string(count) + (count == 1 ? " item" : " items") +
             ": there is no item " + std::to_string(number) + "; nothing was restored.";
  return {};
}

std::vector<std::size_t> NotBack(const std::vector<BackupFileItem>& items) {
  std::vector<std::size_t> numbers;
  for (const BackupFileItem& item : items)
    if (item.presence != ItemPresence::Present) numbers.push_back(item.number);
  return numbers;
}

std::string WhyKept(const RestoreOutcome& outcome, bool wholeFile) {
  if (!outcome.itemsNotBack.empty())
    return std::to_string(outcome.itemsNotBack.size()) + " of its " +
           std::to_string(outcome.itemCount) + " items are not in the registry";
  if (!wholeFile) return "only part of it may be restored";
  return {};
}

}  // namespace

ListedItems ListBackupItems(FileSystemBackend& fs, RegistryBackend& registry,
                            const RestoreRequest& request) {
  ListedItems listed;
  ImportablePart part;
  if (!ReadItems(fs, registry, request, part, listed.items, listed.outcome)) return listed;
  CheckItemPresence(registry, part.bytes, fs.ansiCodePage(), listed.items);
  listed.wholeFile = part.whole();
  return listed;
}

RestoreOutcome RestoreBackupItems(FileSystemBackend& fs, RegistryBackend& registry,
                                  RegistryEditorRunner& editor, const RestoreRequest& request,
                                  std::vector<std::size_t> numbers) {
  RestoreOutcome outcome;
  ImportablePart part;
  std::vector<BackupFileItem> items;
  if (!ReadItems(fs, registry, request, part, items, outcome)) {
    FinishRestore(fs, request, false, false, outcome);
    return outcome;
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  outcome.itemCount = items.size();
  if (std::string why = WhyNotItems(numbers, items.size(), request.file); !why.empty()) {
    outcome.end = RestoreEnd::Refused;
    outcome.message = std::move(why);
    return outcome;
  }
  const std::string chosen = ItemFileBytes(part.bytes, items, numbers);
  // Cut from lines that passed already; checked again all the same, as this
  // is what the editor will read.
  if (const auto breach = FindLineRuleBreach(chosen, fs.ansiCodePage())) {
    outcome.end = RestoreEnd::Refused;
    outcome.message = request.file + " is refused: " + DescribeBreach(*breach) + ".";
    return outcome;
  }
  outcome = ImportAndVerify(fs, registry, editor, chosen, request.texts, std::move(outcome));
  outcome.itemCount = items.size();
  const bool chosenBack = outcome.end == RestoreEnd::Restored;
  if (chosenBack) {
    CheckItemPresence(registry, part.bytes, fs.ansiCodePage(), items);
    outcome.itemsNotBack = NotBack(items);
  }
  const bool allBack = chosenBack && outcome.itemsNotBack.empty() && part.whole();
  FinishRestore(fs, request, allBack, allBack, outcome);
  if (chosenBack && !allBack && request.deleteAfter)
    outcome.keptBecause = WhyKept(outcome, part.whole());
  return outcome;
}

}  // namespace hs
