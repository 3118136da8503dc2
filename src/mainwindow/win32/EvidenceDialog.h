#pragma once
// TfrmEvidence, "Details..." of the findings list: the focused row with the
// evidence it was flagged on (check, text tested, path asked, answer), each
// in a read-only field that can be selected, and "&Copy" for all of it.
#include <windows.h>

#include <string>

#include "findings/EvidenceTexts.h"
#include "platform/FileSystemBackend.h"
#include "scan/Finding.h"
#include "widgets/win32/Clipboard.h"

namespace hs::win32 {

// Control ids, for tests that read the dialog through messages.
inline constexpr int kEvidenceRow = 1001;
inline constexpr int kEvidenceCheck = 1011;  // the value fields follow in this order
inline constexpr int kEvidenceTested = 1012;
inline constexpr int kEvidencePath = 1013;
inline constexpr int kEvidenceAnswer = 1014;
inline constexpr int kEvidenceCopy = 1020;
inline constexpr int kEvidenceClose = IDCANCEL;  // Esc closes it too

struct EvidenceInput {
  const Finding& row;
  const EvidenceTexts& texts;  // the words of the checks and answers
  FileSystemBackend& fs;       // reads the translation file
  const Translation& translation;
  std::string language;  // relabelled from its translation file unless English
  // Puts the text on the clipboard; the system's clipboard unless replaced.
  ui::TextCopier copy;
};

void EvidenceDialog(HWND owner, const EvidenceInput& input);

}  // namespace hs::win32
