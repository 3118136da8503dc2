#pragma once
// The lines a restorable registry file may hold. Neither our backups nor the
// registry editor's own exports ever delete anything, so a file that does, or
// that holds any line outside the plain export forms, is not imported:
// whoever can write to the backup folder must not be able to make an
// administrator's restore delete or plant arbitrary keys.
#include <optional>
#include <string>
#include <string_view>

#include "common/CodePage.h"

namespace hs {

struct LineRuleBreach {
  int line = 0;      // 1-based, counted as the reader counts lines
  std::string text;  // the line as written (UTF-8, cut to 200 characters)
  std::string why;   // what is wrong with it
};

// Accepts REGEDIT4 and version-5 files (UTF-16LE with BOM, UTF-8 with BOM or
// 8-bit): the header on the first line, then only blank lines, key sections
// under the five hives, value lines with string, dword or hex data, and the
// continuation lines of hex data. Reports the first line that breaks a rule.
// Works line by line on `bytes` without copying the whole file. 8-bit lines
// are read in `codePage`, as the registry editor will read them: a line must
// not look harmless in one page and delete in another.
std::optional<LineRuleBreach> FindLineRuleBreach(std::string_view bytes, const CodePage& codePage);

// "line 7 \"[-HKEY_...]\": deletes a key".
std::string DescribeBreach(const LineRuleBreach& breach);

}  // namespace hs
