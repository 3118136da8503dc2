#pragma once
// The filter run over the findings list after every scan: it removes rows that
// must never be offered for repair (fixed exclusions, rows an earlier repair
// could not remove, rows covered by the ignore lists or the built-in key
// exclusions). Column sizing is the window's business, not this one's.
#include <string>
#include <vector>

#include "platform/SystemFacts.h"
#include "scan/Finding.h"

namespace hs {

// Findings a repair could not remove, kept for the life of the main window:
// two parallel lists of "Registry key" and "Value" texts.
struct UnrepairedLists {
  std::vector<std::string> KeyTexts;
  std::vector<std::string> ValueTexts;

  void Add(const std::string& keyText, const std::string& valueText) {
    KeyTexts.push_back(keyText);
    ValueTexts.push_back(valueText);
  }
};

// Key exclusions that protect system keys of Windows Vista and every later
// version.
const std::vector<std::string>& BuiltInKeyExclusions();
// Whether they apply: the NT family from version 6.0 on. Decided from the
// version itself, not its code: Windows 10 and 11 report 10.0, whose code
// is the catch-all 10.
bool BuiltInKeyExclusionsApply(const WindowsVersionInfo& version);

// Removes excluded rows in place; the survivors keep their order and check
// marks. Comparisons ignore case. Never throws for any list contents: empty
// (or blank) ignore entries match nothing, and file rows (kind 4) are matched
// by their own file path as a key path would be.
void FilterResults(std::vector<Finding>& rows, const std::vector<std::string>& ignoreValueList,
                   const std::vector<std::string>& ignoreKeyList, const UnrepairedLists& unrepaired,
                   const WindowsVersionInfo& windowsVersion);

}  // namespace hs
