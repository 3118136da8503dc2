#include "findings/ListCommands.h"

#include <algorithm>

#include "common/Rot13.h"
#include "common/Text.h"

namespace hs {

void SetAllChecked(std::vector<Finding>& rows, bool checked) {
  for (Finding& row : rows) row.Checked = checked;
}

void SetCheckedOfType(std::vector<Finding>& rows, const std::string& problem, bool checked) {
  for (Finding& row : rows)
    if (row.Problem == problem) row.Checked = checked;
}

IgnoreEntry IgnoreEntryFor(const Finding& row) {
  if (row.KeyPath.find('\\') == std::string::npos) return {};
  switch (row.Kind) {
    case FindingKind::fkKey:
    case FindingKind::fkDefaultValue:
      return {IgnoreListId::Key, row.KeyPath};
    case FindingKind::fkValueInPath:
      // A key path ending in a backslash names the default value, which the
      // value list writes as "@".
      return {IgnoreListId::Value, row.KeyPath.back() == '\\' ? row.KeyPath + "@" : row.KeyPath};
    case FindingKind::fkNamedValue:
      return {IgnoreListId::Value, row.KeyPath + "\\" + row.ValueText};
    case FindingKind::fkSubkey:
      return {IgnoreListId::Key, row.KeyPath + "\\" + row.ValueText};
    case FindingKind::fkRotatedValue:
      return {IgnoreListId::Value, row.KeyPath + "\\" + Rot13(row.ValueText)};
    case FindingKind::fkFile:
    default:
      return {};
  }
}

bool IsInIgnoreList(const std::vector<std::string>& list, const std::string& entry) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& item) { return EqualsNoCase(item, entry); });
}

std::size_t IgnoreListAdd(std::vector<Finding>& rows, const std::vector<std::size_t>& selected,
                          std::vector<std::string>& ignoreKeyList,
                          std::vector<std::string>& ignoreValueList) {
  std::vector<std::size_t> order(selected);
  std::sort(order.begin(), order.end());
  order.erase(std::unique(order.begin(), order.end()), order.end());
  std::size_t removed = 0;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    if (*it >= rows.size()) continue;
    const Finding& row = rows[*it];
    if (row.KeyPath.find('\\') == std::string::npos) continue;
    const IgnoreEntry entry = IgnoreEntryFor(row);
    if (entry.list != IgnoreListId::None) {
      std::vector<std::string>& list =
          entry.list == IgnoreListId::Key ? ignoreKeyList : ignoreValueList;
      if (IsInIgnoreList(list, entry.text)) continue;
      list.push_back(entry.text);
    }
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(*it));
    ++removed;
  }
  return removed;
}

std::string RegeditKeyText(const Finding& row) {
  switch (row.Kind) {
    case FindingKind::fkValueInPath: {
      const std::size_t last = row.KeyPath.rfind('\\');
      return last == std::string::npos ? std::string() : row.KeyPath.substr(0, last);
    }
    case FindingKind::fkSubkey:
      return row.KeyPath + "\\" + row.ValueText;
    case FindingKind::fkFile:
      return {};
    default:
      return row.KeyPath;
  }
}

}  // namespace hs
