#pragma once
// TfrmRegAddRegistry ("Add to Ignore List"): one edit box for an ignore-list
// entry, typed new or edited; OK is enabled only for an acceptable entry
// (IsIgnoreEntryAcceptable).
#include <windows.h>

#include <optional>
#include <string>

#include "platform/FileSystemBackend.h"

namespace hs {
class Translation;
}

namespace hs::win32 {

// Control ids, for tests that drive the dialog through messages.
inline constexpr int kRegAddRegistryKey = 1203;  // eRegistryKey
inline constexpr int kRegAddLaunchRegedit = 1202;

struct RegAddRegistryInput {
  FileSystemBackend& fs;  // reads the translation file
  const Translation& translation;
  std::string language;  // relabelled from its translation file unless English
  std::string entry;     // the text the edit box starts with
};

// The entry confirmed with OK; nothing when cancelled.
std::optional<std::string> RegAddRegistryDialog(HWND owner, const RegAddRegistryInput& input);

}  // namespace hs::win32
