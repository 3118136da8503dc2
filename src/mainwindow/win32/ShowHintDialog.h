#pragma once
// TfrmShowHint, the summary shown after a repair: "There are total N problems
// to be repaired.", three lines of comment, the check box cbNotShowHint and
// "&Close".
#include <windows.h>

#include <string>

#include "platform/FileSystemBackend.h"

namespace hs {
class Translation;
}

namespace hs::win32 {

// Control ids, for tests that read the dialog through messages.
inline constexpr int kShowHintLabel1 = 1001;
inline constexpr int kShowHintNotAgain = 1005;
inline constexpr int kShowHintClose = IDCANCEL;  // Esc closes it too

struct ShowHintInput {
  int processedCount = 0;
  FileSystemBackend& fs;  // reads the translation file
  const Translation& translation;
  std::string language;  // relabelled from its translation file unless English
  bool showHint = true;  // the ShowHint option as the dialog opens
};

struct ShowHintOutput {
  bool showHint = true;  // the opposite of cbNotShowHint when it was last clicked
};

ShowHintOutput ShowHintDialog(HWND owner, const ShowHintInput& input);

// Label1's text: RES_ThereTotal, the count, RES_RepairProblems.
std::string ShowHintSentence(const Translation& translation, int processedCount);

}  // namespace hs::win32
