#pragma once
// The logic of the findings list's commands: check marks, moving findings to
// the ignore lists, and the key the registry editor is opened at. The window
// maps its selection to row indices and refreshes its counts afterwards.
#include <cstddef>
#include <string>
#include <vector>

#include "scan/Finding.h"

namespace hs {

void SetAllChecked(std::vector<Finding>& rows, bool checked);
// Rows whose "Problem" text equals `problem` exactly (case-sensitive).
void SetCheckedOfType(std::vector<Finding>& rows, const std::string& problem, bool checked);

enum class IgnoreListId { None, Key, Value };

struct IgnoreEntry {
  IgnoreListId list = IgnoreListId::None;
  std::string text;
};

// The ignore entry a row becomes: a full key path for the key list, a full
// key path + "\" + stored value name for the value list ("@" for the default
// value); nothing for a file row or a row whose key text has no backslash.
IgnoreEntry IgnoreEntryFor(const Finding& row);

// Whether `entry` equals an element of `list`, ignoring case.
bool IsInIgnoreList(const std::vector<std::string>& list, const std::string& entry);

// Moves the selected rows to the ignore lists, visiting them from the last to
// the first. A row whose entry is already listed stays; a row with no
// backslash in its key text stays; a file row is removed without an entry.
// Returns the number of rows removed. Indices out of range are ignored.
std::size_t IgnoreListAdd(std::vector<Finding>& rows, const std::vector<std::size_t>& selected,
                          std::vector<std::string>& ignoreKeyList,
                          std::vector<std::string>& ignoreValueList);

// The key the registry editor should show for a row, hive name first.
std::string RegeditKeyText(const Finding& row);

}  // namespace hs
