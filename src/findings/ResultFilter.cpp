#include "findings/ResultFilter.h"

#include <algorithm>
#include <optional>

#include "common/Rot13.h"
#include "common/Text.h"

namespace hs {
namespace {

const char* const kFixedKeyExclusions[] = {
    "CLSID\\{DFEAF541-F3E1-4c24-ACAC-99C30715084A}",
    "CLSID\\{DC6EFB56-9CFA-464D-8880-44885D7DC193}",
};
const char* const kUserNameMarker = "%USERNAME%_";

// Where a row lives for ignore-list matching, upper-cased; `valueName` is set
// for rows that stand for one value.
struct RowLocation {
  std::string location;
  std::optional<std::string> valueName;
};

std::string WithTrailingBackslash(std::string text) {
  if (text.empty() || text.back() != '\\') text += '\\';
  return text;
}

// An entry of nothing but blanks and backslashes names no key; compared as
// written it would be contained in every location and hide every row.
bool NamesNothing(const std::string& entry) {
  return std::all_of(entry.begin(), entry.end(),
                     [](char c) { return c == '\\' || static_cast<unsigned char>(c) <= ' '; });
}

// `key` is the row's key text upper-cased.
// Whether `text` is `first` + "\" + `second`, without building it: the
// filter runs over every row of a scan, 100,000 of them and more.
bool IsJoined(std::string_view text, std::string_view first, std::string_view second) {
  return text.size() == first.size() + 1 + second.size() && text.starts_with(first) &&
         text[first.size()] == '\\' && text.ends_with(second);
}

RowLocation LocationOf(const Finding& row, const std::string& key) {
  switch (row.Kind) {
    case FindingKind::fkValueInPath: {
      // hive + "\" + the rest without its last component; the rest begins
      // after the first backslash, so the last backslash always splits it.
      const std::size_t last = key.rfind('\\');
      return {key.substr(0, last), key.substr(last + 1)};
    }
    case FindingKind::fkNamedValue:
      return {key, UpperCase(row.ValueText)};
    case FindingKind::fkSubkey:
      return {key + "\\" + UpperCase(row.ValueText), std::nullopt};
    case FindingKind::fkDefaultValue:
      return {key, std::string("@")};
    case FindingKind::fkRotatedValue:
      return {key, UpperCase(Rot13(row.ValueText))};
    case FindingKind::fkKey:
    case FindingKind::fkFile:  // a file path, matched as a key path would be
    default:
      return {key, std::nullopt};
  }
}

class RowFilter {
 public:
  RowFilter(const std::vector<std::string>& ignoreValueList,
            const std::vector<std::string>& ignoreKeyList, const UnrepairedLists& unrepaired,
            const WindowsVersionInfo& windowsVersion)
      : m_unrepaired(unrepaired) {
    for (const std::string& entry : ignoreValueList)
      if (!NamesNothing(entry)) m_valueEntries.push_back(UpperCase(entry));
    for (const std::string& entry : ignoreKeyList)
      if (!NamesNothing(entry)) m_keyEntries.push_back(WithTrailingBackslash(UpperCase(entry)));
    if (BuiltInKeyExclusionsApply(windowsVersion))
      for (const std::string& entry : BuiltInKeyExclusions())
        m_keyEntries.push_back(WithTrailingBackslash(UpperCase(entry)));
  }

  bool Removes(const Finding& row) const {
    return IsFixedExclusion(row) || IsUnrepaired(row) || IsIgnored(row);
  }

 private:
  // Each fixed text holds a character that no other character folds to ("{",
  // "%"); a row without it cannot contain the text, and most rows are let
  // through without folding anything.
  static bool IsFixedExclusion(const Finding& row) {
    const bool keyHasBrace = row.KeyPath.find('{') != std::string::npos;
    for (const char* text : kFixedKeyExclusions)
      if (keyHasBrace && ContainsNoCase(row.KeyPath, text)) return true;
    const auto hasMarker = [](const std::string& field) {
      return field.find('%') != std::string::npos && ContainsNoCase(field, kUserNameMarker);
    };
    return hasMarker(row.KeyPath) || hasMarker(row.ValueText);
  }

  bool IsUnrepaired(const Finding& row) const {
    const std::size_t count =
        std::min(m_unrepaired.KeyTexts.size(), m_unrepaired.ValueTexts.size());
    for (std::size_t i = 0; i < count; ++i)
      if (EqualsNoCase(row.KeyPath, m_unrepaired.KeyTexts[i]) &&
          EqualsNoCase(row.ValueText, m_unrepaired.ValueTexts[i]))
        return true;
    return false;
  }

  bool IsIgnored(const Finding& row) const {
    if (m_valueEntries.empty() && m_keyEntries.empty()) return false;
    if (row.KeyPath.find('\\') == std::string::npos) return false;
    const std::string key = UpperCase(row.KeyPath);
    const RowLocation at = LocationOf(row, key);
    return InValueList(at) || InKeyList(at, key);
  }

  bool InValueList(const RowLocation& at) const {
    for (const std::string& entry : m_valueEntries) {
      if (at.valueName) {
        if (IsJoined(entry, at.location, *at.valueName)) return true;
        // The list writes the default value as "@"; a row naming it by the
        // empty name (a key path ending in a backslash) is the same value.
        if (at.valueName->empty() && IsJoined(entry, at.location, "@")) return true;
      } else if (entry.find(WithTrailingBackslash(at.location)) != std::string::npos) {
        // With the backslash, a value of key AB does not hide a row for key A.
        return true;
      }
    }
    return false;
  }

  bool InKeyList(const RowLocation& at, const std::string& keyText) const {
    const std::string location = WithTrailingBackslash(at.location);
    for (const std::string& entry : m_keyEntries) {
      const bool inside = location.find(entry) != std::string::npos;
      if (at.valueName) {
        if (inside || entry == keyText || IsJoined(entry, keyText, "")) return true;
      } else if (inside || entry.find(location) != std::string::npos) {
        return true;
      }
    }
    return false;
  }

  const UnrepairedLists& m_unrepaired;
  std::vector<std::string> m_valueEntries;  // upper-cased
  std::vector<std::string> m_keyEntries;    // upper-cased, trailing backslash
};

}  // namespace

bool BuiltInKeyExclusionsApply(const WindowsVersionInfo& version) {
  return version.platformId == kPlatformWin32Nt && version.major >= 6;
}

const std::vector<std::string>& BuiltInKeyExclusions() {
  static const std::vector<std::string> exclusions = {
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Speech\\Recognizers\\Tokens",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\Sysprep\\Cleanup",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\IME\\China\\imesc\\"
      "Directories",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\TPG\\InputPersonalization\\AnalysisTokens\\4103\\"
      "IPS",
      "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{B977CB2D-EC6E-4A8F-BFFE-D18682BB0D52}\\"
      "InProcServer32",
      "HKEY_CLASSES_ROOT\\CLSID\\{B977CB2D-EC6E-4A8F-BFFE-D18682BB0D52}\\InProcServer32",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\IMEJP\\10.0\\directories",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\PowerShell\\1\\PowerShellEngine",
  };
  return exclusions;
}

void FilterResults(std::vector<Finding>& rows, const std::vector<std::string>& ignoreValueList,
                   const std::vector<std::string>& ignoreKeyList, const UnrepairedLists& unrepaired,
                   const WindowsVersionInfo& windowsVersion) {
  if (rows.empty()) return;
  const RowFilter filter(ignoreValueList, ignoreKeyList, unrepaired, windowsVersion);
  std::erase_if(rows, [&](const Finding& row) { return filter.Removes(row); });
}

}  // namespace hs
