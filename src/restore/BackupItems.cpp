#include "restore/BackupItems.h"

#include <set>

#include "common/Text.h"
#include "regfile/RegFileReader.h"
#include "restore/ItemDescription.h"
#include "restore/RestoreVerify.h"

namespace hs {
namespace {

std::string WithoutTrailingBackslash(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool IsAtOrBelow(const std::string& upperPath, const std::string& upperRoot) {
  return upperPath == upperRoot ||
         (upperPath.size() > upperRoot.size() && upperPath.starts_with(upperRoot) &&
          upperPath[upperRoot.size()] == '\\');
}

// Groups the sections into items as they are read: a section below the
// current item's first key joins it, any other begins the next item.
class ItemGrouper {
 public:
  explicit ItemGrouper(std::vector<BackupFileItem>& items) : m_items(items) { m_items.clear(); }

  void add(const RegFileSection& section) {
    const std::string path = WithoutTrailingBackslash(section.keyPath);
    const std::string upper = UpperCase(path);
    const bool joins = !m_items.empty() && upper != m_rootUpper && IsAtOrBelow(upper, m_rootUpper);
    if (!joins) begin(section, path, upper);
    BackupFileItem& item = m_items.back();
    m_keys.insert(upper);
    item.keyCount = m_keys.size();
    item.valueCount += section.values.size();
    if (!joins && section.values.size() == 1) m_firstValue = section.values.front().value;
  }

  void finish(std::size_t fileEnd) {
    if (!m_items.empty()) close(fileEnd);
  }

 private:
  void begin(const RegFileSection& section, const std::string& path, const std::string& upper) {
    if (!m_items.empty()) close(section.offset);
    BackupFileItem item;
    item.number = m_items.size() + 1;
    item.keyPath = path;
    item.begin = section.offset;
    m_items.push_back(std::move(item));
    m_rootUpper = upper;
    m_keys.clear();
    m_firstValue.reset();
  }

  void close(std::size_t end) {
    BackupFileItem& item = m_items.back();
    item.end = end;
    item.oneValue = item.keyCount == 1 && item.valueCount == 1 && m_firstValue.has_value();
    if (item.oneValue) {
      item.valueName = m_firstValue->name;
      item.putsBack = DescribeValueData(*m_firstValue);
    } else {
      item.putsBack = DescribeKeys(item.keyCount, item.valueCount);
    }
  }

  std::vector<BackupFileItem>& m_items;
  std::string m_rootUpper;
  std::set<std::string> m_keys;
  std::optional<RegValue> m_firstValue;
};

// Before the first item: the header line and whatever blank lines follow it.
std::size_t HeaderEnd(const std::string& bytes, const std::vector<BackupFileItem>& items) {
  return items.empty() ? bytes.size() : items.front().begin;
}

ItemPresence PresenceOf(RegistryBackend& registry, const BackupFileItem& item,
                        const std::vector<RestoreDifference>& differences) {
  if (differences.empty()) return ItemPresence::Present;
  const auto hivePath = SplitHivePath(item.keyPath);
  RegKeyPtr key;
  if (!hivePath || registry.openKey(hivePath->root, nullptr, hivePath->subPath, RegAccess::Read,
                                    false, key) != RegStatus::Ok)
    return ItemPresence::Absent;
  RegValue value;
  if (item.oneValue && registry.queryValue(*key, item.valueName, value) == RegStatus::NotFound)
    return ItemPresence::Absent;
  return ItemPresence::Differs;
}

}  // namespace

bool SplitIntoItems(const std::string& bytes, const CodePage& codePage,
                    std::vector<BackupFileItem>& items, std::string& error) {
  ItemGrouper grouper(items);
  RegFileError parseError;
  if (!ParseRegFileSections(
          bytes, codePage, [&grouper](RegFileSection&& section) { grouper.add(section); },
          parseError)) {
    error = "line " + std::to_string(parseError.line) + ": " + parseError.message;
    items.clear();
    return false;
  }
  grouper.finish(bytes.size());
  return true;
}

std::string ItemFileBytes(const std::string& bytes, const std::vector<BackupFileItem>& items,
                          const std::vector<std::size_t>& numbers) {
  std::string out = bytes.substr(0, HeaderEnd(bytes, items));
  for (const std::size_t number : numbers) {
    const BackupFileItem& item = items.at(number - 1);
    out.append(bytes, item.begin, item.end - item.begin);
  }
  return out;
}

void CheckItemPresence(RegistryBackend& registry, const std::string& bytes,
                       const CodePage& codePage, std::vector<BackupFileItem>& items) {
  for (BackupFileItem& item : items) {
    std::vector<RestoreDifference> differences;
    RegFileError error;
    const std::string alone = ItemFileBytes(bytes, items, {item.number});
    if (!VerifyRestoredFile(registry, alone, codePage, differences, error))
      differences.push_back({item.keyPath, error.message});
    item.presence = PresenceOf(registry, item, differences);
  }
}

std::vector<std::size_t> ItemsAtOrBelow(const std::vector<BackupFileItem>& items,
                                        const std::string& keyPath) {
  const std::string root = UpperCase(WithoutTrailingBackslash(keyPath));
  std::vector<std::size_t> numbers;
  for (const BackupFileItem& item : items)
    if (IsAtOrBelow(UpperCase(item.keyPath), root)) numbers.push_back(item.number);
  return numbers;
}

const char* PresenceName(ItemPresence presence) {
  switch (presence) {
    case ItemPresence::Present:
      return "yes";
    case ItemPresence::Absent:
      return "no";
    case ItemPresence::Differs:
      return "differs";
  }
  return "no";
}

}  // namespace hs
